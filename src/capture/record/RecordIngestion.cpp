#include "capture/record/RecordIngestion.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/FrameHistory.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/record/BoardRecord.h"
#include "capture/record/CaptureState.h"
#include "capture/record/DecimalText.h"
#include "capture/record/FrameFacts.h"
#include "capture/record/FrameListener.h"
#include "capture/record/IgnoreList.h"
#include "capture/record/MessageNotesLog.h"
#include "capture/record/MessageTable.h"
#include "capture/record/RecordTap.h"
#include "capture/record/RecordText.h"
#include "capture/record/TextSetting.h"

#include <charconv>
#include <optional>

namespace vexmoor {

namespace {

constexpr std::string_view kChangedPrefix = "Data Changed - ";

} // namespace

RecordIngestion::RecordIngestion(CaptureState& state, MessageTable& table, const IgnoreList& messageIgnoreList,
                                 const IgnoreList& idIgnoreList, const TextSetting& minimumId, TimeOfDaySource& clock)
    : m_state(state)
    , m_table(table)
    , m_messageIgnoreList(messageIgnoreList)
    , m_idIgnoreList(idIgnoreList)
    , m_minimumId(minimumId)
    , m_clock(clock)
{
}

void RecordIngestion::ParseFrame(const FrameFacts& facts)
{
    // Ingestion never yields, so the facts cannot belong to any other record.
    m_facts = &facts;
    if (m_rowsPerBus) {
        m_busFrame = facts.frame;
        m_busFrame.bus = m_buses.numberOf(facts.interfaceName);
        m_facts = &m_busFacts.emplace(FrameFacts { m_busFrame, facts.interfaceName });
    }
    ParseData();
    m_facts = nullptr;
    m_frame = nullptr;
}

const CanFrame* RecordIngestion::frameOfRecord(std::string_view message)
{
    if (m_facts != nullptr)
        return &m_facts->frame;
    // A record is read back into a frame only for someone who follows frames: with no tracker, no
    // history and nothing plotted, it costs nothing.
    if (m_tracker == nullptr && m_history == nullptr && m_listener == nullptr
        && (m_recorder == nullptr || m_recorder->count() == 0))
        return nullptr;
    // A record that is no CAN frame (more than eight data fields, a field that is no byte) has no
    // bytes to follow.
    std::optional<CanFrame> frame = BoardRecord::toFrame(message);
    if (!frame)
        return nullptr;
    m_recordFrame = *frame;
    m_recordFrame.timestampUs = m_arrivalClock != nullptr ? m_arrivalClock->nowUs() : 0;
    m_recordFrame.bus = m_bus;
    return &m_recordFrame;
}

void RecordIngestion::ParseData()
{
    const std::string& message = m_state.CurrentMessage;
    if (m_tap != nullptr)
        m_tap->recordArrived(message, m_facts);
    if (!record::passesShapeTest(message))
        return;

    // A record without an identifier is dropped whole. Carrying on with the identifier of the record
    // before it would count it, and every extended-frame record, under an identifier it does not
    // have. An empty text has no identifier either, so it ends here too.
    auto identifier = record::takeIdentifier(message);
    if (!identifier)
        return;
    if (m_facts != nullptr && m_facts->frame.extended)
        record::markExtended(*identifier);
    m_state.HexID = std::move(identifier->hexId);
    m_state.DecimalID = identifier->decimalId;
    ++m_framesSeen;
    if (m_facts != nullptr)
        m_bus = m_facts->frame.bus;
    else
        m_bus = m_rowsPerBus ? m_buses.numberOf(m_recordBus) : 0;
    m_frame = frameOfRecord(message);
    if (m_frame != nullptr) {
        if (m_tracker != nullptr)
            m_tracker->observe(*m_frame);
        if (m_recorder != nullptr)
            m_recorder->observe(*m_frame);
        if (m_history != nullptr)
            m_history->observe(*m_frame);
        if (m_listener != nullptr)
            m_listener->frameIngested(*m_frame, m_facts);
    }

    if (m_messageIgnoreList.contains(message) || m_idIgnoreList.contains(m_state.HexID))
        return;

    appendToNotes();
    m_asciiTextReady = false;
    m_timeTextReady = false;
    if (!updateRows())
        appendRow();
}

void RecordIngestion::appendToNotes()
{
    if (m_notesLog == nullptr || !m_notesLog->isShown())
        return;
    const int notesRow = m_state.NotesRowIndex;
    if (!m_table.hasRow(notesRow) || m_table.canId(notesRow) != m_state.HexID || m_table.row(notesRow).bus != m_bus)
        return;
    if (!m_notesLog->contains(m_state.CurrentMessage))
        m_notesLog->appendLine(m_state.CurrentMessage);
}

bool RecordIngestion::updateRows()
{
    // Every row with this CAN_ID (and, while rows are kept per bus, of this bus) is updated, as a pass
    // over all rows would find them.
    bool found = false;
    for (MessageRow* row : m_table.rowsWithCanId(m_state.HexID)) {
        if (row->bus != m_bus)
            continue;
        updateRow(*row);
        found = true;
    }
    if (found)
        m_table.noteRowsWritten();
    return found;
}

void RecordIngestion::updateRow(MessageRow& row)
{
    const std::string& message = m_state.CurrentMessage;
    std::string& latest = row[MessageColumn::Message];
    const bool changed = latest != message;
    if (changed) {
        std::string& change = row[MessageColumn::Change];
        change.assign(kChangedPrefix);
        change.append(latest);
        latest.assign(message);
    }
    decimal::incrementWholeNumber(row[MessageColumn::MsgCount]);
    row[MessageColumn::Time].assign(timeText());
    if (!m_asciiTextReady) {
        if (m_frame != nullptr)
            BoardRecord::assignAsciiText(*m_frame, m_asciiText);
        else
            record::assignAsciiText(message, m_asciiText);
        m_asciiTextReady = true;
    }
    row[MessageColumn::Ascii].assign(m_asciiText);
    if (changed)
        decimal::incrementLeadingNumber(row[MessageColumn::ChangeCount]);
    row.modified = true;
}

void RecordIngestion::appendRow()
{
    if (m_state.DecimalID < m_minimumId.number())
        return;
    MessageRow& row = m_table.appendRow(m_state.HexID);
    row.bus = m_bus;
    row[MessageColumn::Message].assign(m_state.CurrentMessage);
    row[MessageColumn::MsgCount].assign(1, '1');
    row[MessageColumn::ChangeCount].assign(1, '1');
    if (m_namesToCome.empty())
        return;
    // A name for a row of one bus waits under the CAN_ID with "@" and the bus's name after it.
    std::string_view key = m_state.HexID;
    if (m_bus != 0) {
        m_nameKey.assign(m_state.HexID).append(1, '@').append(m_buses.nameOf(m_bus));
        key = m_nameKey;
    }
    if (const auto name = m_namesToCome.find(key); name != m_namesToCome.end()) {
        row[MessageColumn::MessageName] = name->second;
        m_namesToCome.erase(name);
    }
}

const std::string& RecordIngestion::timeText()
{
    // Read the clock once per record, and format only when the second moved on.
    if (!m_timeTextReady) {
        // A frame that carries its source's time shows that time, so a replayed log shows when it
        // was recorded; the board's records show when they arrived.
        const TimeOfDay now = m_facts != nullptr ? m_clock.at(m_facts->frame.timestampUs) : m_clock.now();
        if (now != m_formattedTime) {
            char buffer[3 * 11];
            char* end = buffer;
            for (const int part : { now.hour, now.minute, now.second })
                end = std::to_chars(end, buffer + sizeof(buffer), part).ptr;
            m_timeText.assign(buffer, end);
            m_formattedTime = now;
        }
        m_timeTextReady = true;
    }
    return m_timeText;
}

} // namespace vexmoor
