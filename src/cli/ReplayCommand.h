#pragma once

#include "cli/CommandLine.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace vexmoor {

class CaptureSession;
enum class LogFormat;
class ReplayInput;
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
    // Each returns an error message, or an empty text when the input was replayed to its end.
    std::string replayBoardStream(ReplayInput& input, std::vector<std::string> head, std::size_t chunkBytes,
                                  CaptureSession& session);
    std::string replayLog(ReplayInput& input, LogFormat format, const std::vector<std::string>& head,
                          const CommandLine::Options& options, CaptureSession& session);
    int failToWrite(const std::string& path, const std::string& reason);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    TimeOfDaySource& m_clock;
};

} // namespace vexmoor
