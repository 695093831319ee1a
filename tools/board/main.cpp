// vexmoor-board: stands in for the CAN bus companion board, or an slcan USB CAN adapter, on a serial
// line, so that Vexmoor can be run and tested without the hardware and a car. See --help.
#include "BoardOptions.h"
#include "BoardSession.h"
#include "BoardTextFeed.h"
#include "FileRecordSource.h"
#include "GeneratedRecordSource.h"
#include "SerialLine.h"
#include "SlcanAdapterFeed.h"
#include "SymbolicLink.h"

#include <csignal>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequest = 0;

extern "C" void requestStop(int signalNumber)
{
    stopRequest = signalNumber;
}

void installSignalHandlers()
{
    // No SA_RESTART: a blocking open() of a FIFO given as --device must return on Ctrl-C.
    struct sigaction action { };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : { SIGINT, SIGTERM, SIGHUP })
        sigaction(signalNumber, &action, nullptr);
    // A FIFO whose reader went away must give a write error to report, not kill the board silently
    // and leave its link behind.
    std::signal(SIGPIPE, SIG_IGN);
}

void reportError(const std::string& message)
{
    std::cerr << "vexmoor-board: " << message << '\n';
}

// What went onto the line: the board's records, or the adapter's frames and the records it passed over.
struct Summary {
    std::uint64_t records = 0;
    std::uint64_t bytes = 0;
    const vexmoor::board::SlcanAdapterFeed* adapter = nullptr;
};

void reportSummary(const Summary& summary, bool quiet)
{
    if (quiet)
        return;
    if (summary.adapter == nullptr) {
        std::cerr << "vexmoor-board: wrote " << summary.records << " records (" << summary.bytes << " bytes)\n";
        return;
    }
    std::cerr << "vexmoor-board: wrote " << summary.records << " frames (" << summary.bytes << " bytes), skipped "
              << summary.adapter->skippedRecords() << " records\n";
}

std::unique_ptr<vexmoor::board::RecordSource> makeSource(const vexmoor::board::BoardOptions& options)
{
    if (!options.filePath.empty())
        return std::make_unique<vexmoor::board::FileRecordSource>(options.filePath, options.loop);
    vexmoor::board::GeneratedRecordSource::Settings settings;
    settings.records = options.records;
    settings.identifierCount = options.identifierCount;
    settings.changeShare = options.changeShare;
    settings.seed = options.seed;
    return std::make_unique<vexmoor::board::GeneratedRecordSource>(settings);
}

std::unique_ptr<vexmoor::board::LineFeed> makeFeed(const vexmoor::board::BoardOptions& options,
                                                   vexmoor::board::RecordSource& source,
                                                   const vexmoor::board::SlcanAdapterFeed*& adapter)
{
    using vexmoor::board::SlcanAdapterFeed;
    if (options.protocol == vexmoor::board::BoardOptions::Protocol::Board)
        return std::make_unique<vexmoor::board::BoardTextFeed>(source, options.startupLine);
    SlcanAdapterFeed::Settings settings;
    settings.listenOnlySupported = options.listenOnly;
    settings.clockStartMs = options.clockStartMs;
    // The adapter is plugged in when its line appears; its clock has been running since.
    settings.pluggedIn = SlcanAdapterFeed::Clock::now();
    auto feed = std::make_unique<SlcanAdapterFeed>(source, settings);
    adapter = feed.get();
    return feed;
}

} // namespace

int main(int argc, char** argv)
{
    using vexmoor::board::BoardOptions;
    using vexmoor::board::BoardSession;

    installSignalHandlers();

    BoardOptions options;
    try {
        options = BoardOptions::parse(std::vector<std::string_view>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        reportError(std::string(error.what()) + " (see --help)");
        return 2;
    }
    if (options.showHelp) {
        std::cout << BoardOptions::usage();
        return std::cout.flush() ? 0 : 2;
    }

    // Everything that can be refused is checked before the first byte goes out, so a mistake costs
    // an exit status of 2 and never a run that writes something else.
    std::unique_ptr<vexmoor::board::RecordSource> source;
    std::unique_ptr<vexmoor::board::SerialLine> line;
    std::optional<vexmoor::board::SymbolicLink> link;
    try {
        source = makeSource(options);
        if (options.devicePath.empty()) {
            line = vexmoor::board::SerialLine::openPseudoTerminal();
            if (!options.linkPath.empty())
                link.emplace(options.linkPath, line->path());
            // The reader needs the name before anything else happens; a caller reading our standard
            // output line by line would otherwise wait on a buffer that is not yet full.
            std::cout << line->path() << '\n' << std::flush;
            if (!std::cout)
                throw std::runtime_error("cannot print the pseudo-terminal's path to standard output");
        } else {
            line = vexmoor::board::SerialLine::openDevice(options.devicePath, options.baud);
        }
    } catch (const std::system_error& error) {
        // A signal during a blocking open of a FIFO is a stop, not a failure.
        if (error.code() == std::errc::interrupted && stopRequest != 0) {
            reportSummary({}, options.quiet);
            return 0;
        }
        reportError(error.what());
        return 2;
    } catch (const std::exception& error) {
        reportError(error.what());
        return 2;
    }

    Summary summary;
    const std::unique_ptr<vexmoor::board::LineFeed> feed = makeFeed(options, *source, summary.adapter);
    BoardSession session(*line, *feed, stopRequest);
    BoardSession::Settings settings;
    settings.baud = options.baud;
    settings.delaySeconds = options.delaySeconds;
    settings.stopAfterSeconds = options.stopAfterSeconds;

    int status = 0;
    try {
        if (session.write(settings) != BoardSession::Ending::Stopped) {
            const BoardSession::Drain drain = session.drain(options.drainSeconds);
            if (!drain.stopped && drain.unread > 0) {
                std::ostringstream message;
                message << "the reader left " << drain.unread << " bytes unread after " << options.drainSeconds
                        << " s; they are lost";
                reportError(message.str());
                status = 1;
            }
        }
    } catch (const std::exception& error) {
        reportError(error.what());
        status = 1;
    }
    summary.records = feed->records();
    summary.bytes = session.bytes();
    reportSummary(summary, options.quiet);
    return status;
}
