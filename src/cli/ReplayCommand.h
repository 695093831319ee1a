#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>

namespace vexmoor {

class LogFeed;
class TimeOfDaySource;

// The headless replay: a candump log or GVRET CSV goes frame by frame through the one ingestion
// step; a board stream goes through the serial scan in polls of a fixed size, as the port would
// deliver it. The resulting message table is written as CSV. No window, no display.
class ReplayCommand final {
public:
    ReplayCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError,
                  TimeOfDaySource& clock);

    // Replays options.source and returns the exit status: 0, or 2 after a one-line error.
    int run(const CommandLine::Options& options);

private:
    // What a log's reading left to say: an error message when the chosen interface sent nothing,
    // else empty, after a note of the lines passed over.
    std::string reportLog(const LogFeed& feed, const std::string& inputName, const CommandLine::Options& options);
    int failToWrite(const std::string& path, const std::string& reason);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    TimeOfDaySource& m_clock;
};

} // namespace vexmoor
