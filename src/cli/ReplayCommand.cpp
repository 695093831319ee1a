#include "cli/ReplayCommand.h"

#include "capture/formats/BitStatsWriter.h"

#include "cli/CsvDestination.h"
#include "cli/ReplayInput.h"

#include "capture/formats/LogFormat.h"
#include "capture/formats/LogReader.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/record/CaptureSession.h"

#include <algorithm>
#include <ostream>

namespace vexmoor {

namespace {

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text.append(text.empty() ? "" : ", ").append(name);
    return text;
}

} // namespace

ReplayCommand::ReplayCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError,
                             TimeOfDaySource& clock)
    : m_in(standardInput)
    , m_out(standardOutput)
    , m_err(standardError)
    , m_clock(clock)
{
}

int ReplayCommand::run(const CommandLine::Options& options)
{
    CaptureSession session(m_clock);
    if (options.minimumId)
        session.txtMinID().setText(*options.minimumId);

    ReplayInput input(options.source, m_in);
    if (!input.open())
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());

    // The table goes to a file beside the destination first and takes its name only when complete, so
    // a failed run never leaves a partial CSV that looks like a finished one. The file is made before
    // the replay so that a destination that cannot be written fails at once.
    CsvDestination destination(options.csvPath);
    if (!destination.open())
        return CommandLine::fail(m_err, "cannot write '" + options.csvPath + "': " + destination.reason());
    std::optional<CsvDestination> bitStats;
    if (!options.bitStatsPath.empty()) {
        bitStats.emplace(options.bitStatsPath);
        if (!bitStats->open())
            return CommandLine::fail(m_err, "cannot write '" + options.bitStatsPath + "': " + bitStats->reason());
    }

    // The format is read from the content: the first chunks, kept whole so that a board stream still
    // reaches the serial scan in polls of exactly the chosen size.
    std::vector<std::string> head;
    std::size_t headBytes = 0;
    std::string chunk;
    while (headBytes < kLogDetectionBytes) {
        if (!input.read(chunk, options.chunkBytes))
            return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
        if (chunk.empty())
            break;
        headBytes += chunk.size();
        head.push_back(std::move(chunk));
    }
    std::string firstBytes;
    for (const auto& part : head)
        firstBytes.append(part, 0, kLogDetectionBytes - std::min(firstBytes.size(), kLogDetectionBytes));
    const LogFormat format = firstBytes.empty() ? LogFormat::BoardText : detectLogFormat(firstBytes);
    if (format == LogFormat::Unknown)
        return CommandLine::fail(
            m_err, "cannot replay " + input.name() + ": it is not a candump log, a GVRET CSV or a board stream");
    if (format == LogFormat::BoardText && !options.interfaceName.empty())
        return CommandLine::fail(
            m_err, "cannot replay " + input.name() + " with --interface: a board stream has no interfaces");

    const std::string error = format == LogFormat::BoardText
        ? replayBoardStream(input, std::move(head), options.chunkBytes, session)
        : replayLog(input, format, head, options, session);
    if (!error.empty())
        return CommandLine::fail(m_err, error);

    TableCsvWriter::write(session.table(), destination.stream(m_out));
    if (!destination.commit(m_out))
        return failToWrite(options.csvPath, destination.reason());
    if (bitStats) {
        BitStatsWriter::write(session.changes(), bitStats->stream(m_out));
        if (!bitStats->commit(m_out))
            return failToWrite(options.bitStatsPath, bitStats->reason());
    }
    return 0;
}

int ReplayCommand::failToWrite(const std::string& path, const std::string& reason)
{
    return CommandLine::fail(
        m_err, "cannot write " + (path == "-" ? std::string("standard output") : "'" + path + "'") + ": " + reason);
}

std::string ReplayCommand::replayBoardStream(ReplayInput& input, std::vector<std::string> head, std::size_t chunkBytes,
                                             CaptureSession& session)
{
    for (auto& poll : head)
        session.assembly().poll(std::move(poll));
    std::string chunk;
    for (;;) {
        if (!input.read(chunk, chunkBytes))
            return "cannot read " + input.name() + ": " + input.reason();
        if (chunk.empty())
            return {};
        session.assembly().poll(chunk);
    }
}

std::string ReplayCommand::replayLog(ReplayInput& input, LogFormat format, const std::vector<std::string>& head,
                                     const CommandLine::Options& options, CaptureSession& session)
{
    LogReader reader(format, options.interfaceName);
    const LogReader::FrameHandler toTable = [&session](const CanFrame& frame, std::string_view interfaceName) {
        session.ingestFrame(frame, interfaceName);
    };
    for (const auto& part : head)
        reader.feed(part, toTable);
    // A log is read in larger pieces than a serial poll: its lines do not depend on where reads cut.
    const std::size_t readBytes = std::max<std::size_t>(options.chunkBytes, std::size_t { 1 } << 16);
    std::string chunk;
    for (;;) {
        if (!input.read(chunk, readBytes))
            return "cannot read " + input.name() + ": " + input.reason();
        if (chunk.empty())
            break;
        reader.feed(chunk, toTable);
    }
    reader.finish(toTable);

    if (!options.interfaceName.empty() && reader.frames() == 0 && reader.filteredFrames() > 0)
        return "cannot replay " + input.name() + ": it holds no frames of interface '" + options.interfaceName
            + "', only of " + joined(reader.interfaces());
    if (reader.malformedLines() > 0 || reader.skippedFrames() > 0)
        m_err << "vexmoor: " << input.name() << ": " << reader.frames() << " frames replayed, "
              << reader.malformedLines() << " malformed lines and " << reader.skippedFrames()
              << " CAN FD or error frames skipped\n";
    return {};
}

} // namespace vexmoor
