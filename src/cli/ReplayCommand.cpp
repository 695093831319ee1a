#include "cli/ReplayCommand.h"

#include "capture/formats/BitStatsWriter.h"

#include "cli/CsvDestination.h"
#include "cli/HeadlessSession.h"
#include "cli/ReplayInput.h"

#include "capture/formats/DecodedSignalsCsv.h"
#include "capture/formats/LogFeed.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/record/CaptureSession.h"
#include "platform/WallClock.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace vexmoor {

namespace {

// The decoding goes before the session does: the session must not hear of it after.
struct ListenerRemoval {
    CaptureSession& session;
    ~ListenerRemoval() { session.ingestion().setFrameListener(nullptr); }
};

} // namespace

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
    // A board stream's records are stamped as the serial scan hands them on, as they are live.
    const WallClock arrivalClock(WallClock::Precision::Coarse);
    session.ingestion().setArrivalClock(&arrivalClock);
    HeadlessSession headless;
    if (std::string error; !headless.load(options, error))
        return CommandLine::fail(m_err, error);
    headless.applyTo(session, options);

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

    // The signal database is read before the replay, so that a file with errors stops the run at once.
    std::optional<FrameDecoder> decoder;
    std::optional<CsvDestination> decoded;
    std::optional<DecodedSignalsCsv> decodedCsv;
    std::optional<SignalDatabase> database;
    if (std::string error; !headless.takeDatabase(options, database, error))
        return CommandLine::fail(m_err, error);
    if (!options.decodePath.empty()) {
        if (!database)
            return CommandLine::fail(
                m_err, "--decode needs signals, and '" + options.sessionPath + "' holds none: give --dbc FILE");
        decoded.emplace(options.decodePath);
        if (!decoded->open())
            return CommandLine::fail(m_err, "cannot write '" + options.decodePath + "': " + decoded->reason());
        decoder.emplace(database->messages());
        decodedCsv.emplace(*decoder, decoded->stream(m_out));
        decodedCsv->writeHeader();
        session.ingestion().setFrameListener(&*decodedCsv);
    }
    const ListenerRemoval removal { session };

    // The format is read from the content. Until it is known the feed keeps the chunks whole, so that a
    // board stream still reaches the serial scan in polls of exactly the chosen size.
    LogFeed feed(session, options.interfaceName);
    if (!input.feedUntilDecided(feed, options.chunkBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    if (feed.format() == LogFormat::Unknown)
        return CommandLine::fail(
            m_err, "cannot replay " + input.name() + ": it is not a candump log, a GVRET CSV or a board stream");
    const bool boardText = feed.format() == LogFormat::BoardText;
    if (boardText && !options.interfaceName.empty())
        return CommandLine::fail(
            m_err, "cannot replay " + input.name() + " with --interface: a board stream has no interfaces");

    // A log is read in larger pieces than a serial poll: its lines do not depend on where reads cut.
    const std::size_t readBytes
        = boardText ? options.chunkBytes : std::max<std::size_t>(options.chunkBytes, std::size_t { 1 } << 16);
    if (!input.feedToEnd(feed, readBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    if (!boardText) {
        if (const std::string error = reportLog(feed, input.name(), options); !error.empty())
            return CommandLine::fail(m_err, error);
    }

    const BusNames* buses = session.rowsPerBus() ? &session.ingestion().buses() : nullptr;
    TableCsvWriter::write(session.table(), destination.stream(m_out), buses);
    if (!destination.commit(m_out))
        return failToWrite(options.csvPath, destination.reason());
    if (bitStats) {
        BitStatsWriter::write(session.changes(), bitStats->stream(m_out), buses);
        if (!bitStats->commit(m_out))
            return failToWrite(options.bitStatsPath, bitStats->reason());
    }
    if (decoded && !decoded->commit(m_out))
        return failToWrite(options.decodePath, decoded->reason());
    if (const std::string error = headless.save(options, session, nullptr); !error.empty())
        return CommandLine::fail(m_err, error);
    return 0;
}

int ReplayCommand::failToWrite(const std::string& path, const std::string& reason)
{
    return CommandLine::fail(
        m_err, "cannot write " + (path == "-" ? std::string("standard output") : "'" + path + "'") + ": " + reason);
}

std::string ReplayCommand::reportLog(const LogFeed& feed, const std::string& inputName,
                                     const CommandLine::Options& options)
{
    if (!options.interfaceName.empty() && feed.frames() == 0 && feed.filteredFrames() > 0)
        return "cannot replay " + inputName + ": it holds no frames of interface '" + options.interfaceName
            + "', only of " + joined(feed.interfaces());
    if (feed.malformedLines() > 0 || feed.skippedFrames() > 0)
        m_err << "vexmoor: " << inputName << ": " << feed.frames() << " frames replayed, " << feed.malformedLines()
              << " malformed lines and " << feed.skippedFrames() << " error frames skipped\n";
    return {};
}

} // namespace vexmoor
