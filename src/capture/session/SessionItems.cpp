#include "capture/session/SessionItems.h"

#include "capture/ranking/BitRanking.h"
#include "capture/record/BusNames.h"
#include "capture/record/CanFrame.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/HexText.h"
#include "capture/record/RecordText.h"
#include "capture/record/Windows1252.h"

namespace vexmoor {

namespace {

// The file holds UTF-8; the table and the lists hold the code page the board's text is read in. A
// text the file reader let through always has a code-page form.
std::string codePage(const std::string& utf8)
{
    return windows1252::fromUtf8(utf8).value_or(std::string());
}

} // namespace

std::string SessionItems::canIdText(std::uint32_t id, bool extended)
{
    std::string text;
    record::formatHexId(id, extended, text);
    return text;
}

std::pair<std::uint32_t, bool> SessionItems::identifierOf(const std::string& canId)
{
    std::uint32_t id = 0;
    hex::readNumber(canId, id);
    return { id, canId.size() >= 8 || id > CanFrame::kMaxStandardId };
}

std::string SessionItems::nameKey(const std::string& canId, const std::string& bus)
{
    return bus.empty() ? canId : canId + "@" + bus;
}

void SessionItems::applyListsAndNames(const SessionState& state, CaptureSession& session)
{
    session.setRowsPerBus(state.rowsPerBus);
    if (!state.options.autoFilterThreshold.empty())
        session.txtAutoFilter().setText(codePage(state.options.autoFilterThreshold));
    if (!state.options.minimumId.empty())
        session.txtMinID().setText(codePage(state.options.minimumId));
    session.List2().clear();
    for (const std::string& entry : state.ignoredIds)
        session.List2().append(codePage(entry));
    session.List1().clear();
    for (const std::string& entry : state.ignoredMessages)
        session.List1().append(codePage(entry));

    auto& toCome = session.ingestion().namesToCome();
    toCome.clear();
    for (const SessionState::Name& name : state.names) {
        const std::uint8_t bus = name.bus.empty() ? 0 : session.ingestion().buses().find(name.bus);
        bool placed = false;
        for (MessageRow* row : session.table().rowsWithCanId(name.canId)) {
            if (row->bus != bus)
                continue;
            (*row)[MessageColumn::MessageName] = codePage(name.name);
            placed = true;
        }
        if (!placed)
            toCome[nameKey(name.canId, name.bus)] = codePage(name.name);
    }
    session.table().noteRowsWritten();
}

void SessionItems::applyMarks(const SessionState& state, BitRanking& ranking)
{
    while (!ranking.marks().empty())
        ranking.removeMark(ranking.marks().size() - 1);
    ranking.setWindow(state.rankingBeforeUs, state.rankingAfterUs);
    for (const Mark& mark : state.marks)
        ranking.addMark(mark.timeUs, mark.note);
}

SuppressionMask SessionItems::suppressionOf(const SessionState& state, BusNames& buses)
{
    SuppressionMask mask;
    for (const SessionState::MaskedBits& masked : state.suppressed) {
        const auto [id, extended] = identifierOf(masked.canId);
        mask.suppress(id, extended, masked.words, masked.bus.empty() ? 0 : buses.numberOf(masked.bus));
    }
    return mask;
}

void SessionItems::gatherListsAndNames(const CaptureSession& session, SessionState& state)
{
    state.rowsPerBus = session.rowsPerBus();
    state.options.autoFilterThreshold = windows1252::toUtf8(session.txtAutoFilter().text());
    state.options.minimumId = windows1252::toUtf8(session.txtMinID().text());
    state.ignoredIds.clear();
    for (const std::string& entry : session.List2().entries())
        state.ignoredIds.push_back(windows1252::toUtf8(entry));
    state.ignoredMessages.clear();
    for (const std::string& entry : session.List1().entries())
        state.ignoredMessages.push_back(windows1252::toUtf8(entry));
    state.names.clear();
    const MessageTable& table = session.table();
    for (int position = 1; position <= table.rowCount(); ++position) {
        const std::string& name = table.cell(position, MessageColumn::MessageName);
        if (!name.empty())
            state.names.push_back(
                { table.canId(position), windows1252::toUtf8(name), session.busName(table.row(position).bus) });
    }
    for (const auto& [key, name] : session.ingestion().namesToCome()) {
        const std::size_t at = key.find('@');
        state.names.push_back({ key.substr(0, at), windows1252::toUtf8(name),
                                at == std::string::npos ? std::string() : key.substr(at + 1) });
    }
}

void SessionItems::gatherMarks(const BitRanking& ranking, SessionState& state)
{
    state.marks = ranking.marks();
    state.rankingBeforeUs = ranking.beforeUs();
    state.rankingAfterUs = ranking.afterUs();
}

void SessionItems::gatherSuppression(const SuppressionMask& mask, std::int64_t windowUs, const BusNames& buses,
                                     SessionState& state)
{
    state.suppressionWindowUs = windowUs;
    state.suppressed.clear();
    mask.forEach([&](std::uint32_t id, bool extended, std::uint8_t bus, const SuppressionMask::Words& words) {
        state.suppressed.push_back({ canIdText(id, extended), words, buses.nameOf(bus) });
    });
}

} // namespace vexmoor
