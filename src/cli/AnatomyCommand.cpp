#include "cli/AnatomyCommand.h"

#include "capture/formats/DbcWriter.h"
#include "capture/formats/LogFeed.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/ranking/AnatomyDatabase.h"
#include "capture/ranking/FieldSegmentation.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/FrameListener.h"
#include "capture/record/RecordText.h"
#include "capture/record/SystemTimeOfDay.h"
#include "cli/CsvDestination.h"
#include "cli/ReplayInput.h"

#include <map>
#include <ostream>
#include <tuple>

namespace vexmoor {

namespace {

// Every frame of the log, by identifier and then bus: the board's records heard as ingestion takes them,
// the log's frames as the feed reads them.
class FramesByIdentifier final : public FrameListener {
public:
    using Key = std::tuple<std::uint32_t, bool, std::uint8_t>;

    void add(const CanFrame& frame) { m_frames[{ frame.id, frame.extended, frame.bus }].push_back(frame); }
    void frameIngested(const CanFrame& frame, const FrameFacts*) override { add(frame); }
    const std::map<Key, std::vector<CanFrame>>& frames() const { return m_frames; }

private:
    std::map<Key, std::vector<CanFrame>> m_frames;
};

// Each identifier's proposal. Where its frames show no byte order, the one most of the log's messages
// show is taken: a vehicle's makers mostly keep to one.
std::vector<MessageAnatomy> proposeAll(const FramesByIdentifier& collected)
{
    std::vector<MessageAnatomy> anatomies;
    int votes = 0;
    for (const auto& [key, frames] : collected.frames()) {
        anatomies.push_back(FieldSegmentation::propose(frames));
        votes += (anatomies.back().bigEndianEvidence > 0) - (anatomies.back().bigEndianEvidence < 0);
    }
    if (votes <= 0)
        return anatomies;
    std::size_t index = 0;
    for (const auto& [key, frames] : collected.frames()) {
        MessageAnatomy& anatomy = anatomies[index++];
        if (anatomy.proposed && anatomy.bigEndianEvidence == 0)
            anatomy = FieldSegmentation::propose(frames, ByteOrder::BigEndian);
    }
    return anatomies;
}

} // namespace

AnatomyCommand::AnatomyCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError)
    : m_in(standardInput)
    , m_out(standardOutput)
    , m_err(standardError)
{
}

int AnatomyCommand::run(const CommandLine::Options& options)
{
    SystemTimeOfDay clock;
    CaptureSession session(clock);
    session.setRowsPerBus(options.rowsPerBus);
    FramesByIdentifier collected;
    session.ingestion().setFrameListener(&collected);
    LogFeed feed(LogFeed::Sink { [&](const CanFrame& frame, std::string_view interfaceName) {
                                    CanFrame onItsBus = frame;
                                    onItsBus.bus = session.busOf(interfaceName);
                                    collected.add(onItsBus);
                                },
                                 [&session](std::string bytes) { session.assembly().poll(std::move(bytes)); } },
                 options.interfaceName);
    ReplayInput input(options.source, m_in);
    constexpr std::size_t kReadBytes = std::size_t { 1 } << 16;
    if (!input.open() || !input.feedToEnd(feed, kReadBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    if (feed.format() == LogFormat::Unknown)
        return CommandLine::fail(m_err,
                                 "cannot read " + input.name()
                                     + ": it is not a candump log, a GVRET CSV or the board's serial records");
    if (collected.frames().empty())
        return CommandLine::fail(
            m_err,
            "cannot propose fields for " + input.name() + ": it holds no frames"
                + (options.interfaceName.empty() ? std::string() : " of interface '" + options.interfaceName + "'"));

    const std::vector<MessageAnatomy> anatomies = proposeAll(collected);
    if (!options.saveDbcPath.empty()) {
        if (const std::string error = saveDbc(anatomies, options.saveDbcPath); !error.empty())
            return CommandLine::fail(m_err, error);
    }
    writeCsv(anatomies, options.rowsPerBus ? &session.ingestion().buses() : nullptr);
    if (!m_out.flush())
        return CommandLine::fail(m_err, "cannot write standard output");
    return 0;
}

void AnatomyCommand::writeCsv(const std::vector<MessageAnatomy>& anatomies, const BusNames* buses)
{
    m_out << (buses != nullptr ? "bus," : "") << "id,start_bit,length,byte_order,signed,kind,detail\r\n";
    std::string line;
    std::string id;
    for (const MessageAnatomy& anatomy : anatomies) {
        record::formatHexId(anatomy.id, anatomy.extended, id);
        for (const ProposedField& field : anatomy.fields) {
            line.clear();
            if (buses != nullptr) {
                TableCsvWriter::appendUtf8Field(buses->nameOf(anatomy.bus), line);
                line += ',';
            }
            line += id;
            line += ',' + std::to_string(field.startBit) + ',' + std::to_string(field.length) + ',';
            line += field.byteOrder == ByteOrder::BigEndian ? "0," : "1,";
            line += field.isSigned ? "-," : "+,";
            line += fieldKindName(field.kind);
            line += ',';
            TableCsvWriter::appendUtf8Field(field.detail, line);
            line += "\r\n";
            m_out << line;
        }
    }
}

std::string AnatomyCommand::saveDbc(const std::vector<MessageAnatomy>& anatomies, const std::string& path)
{
    // Written beside the destination and renamed when whole, as every file the program writes.
    CsvDestination destination(path);
    if (!destination.open())
        return "cannot write '" + path + "': " + destination.reason();
    destination.stream(m_out) << DbcWriter::write(AnatomyDatabase::of(anatomies));
    if (!destination.commit(m_out))
        return "cannot write '" + path + "': " + destination.reason();
    return {};
}

} // namespace vexmoor
