#pragma once

#include "app/CommandLine.h"

#include <cstddef>
#include <iosfwd>
#include <string>

class QFile;

namespace vexmoor {

class CaptureSession;
class TimeOfDaySource;

// The headless replay: bytes as they would arrive at the serial port go through the serial scan in
// polls of a fixed size, and the resulting message table is written as CSV. No window, no display.
class ReplayCommand final {
public:
    ReplayCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError,
                  TimeOfDaySource& clock);

    // Replays options.source and returns the exit status: 0, or 2 after a one-line error.
    int run(const CommandLine::Options& options);

private:
    // Each returns why the input could not be read to its end, or an empty text.
    std::string replayStream(std::istream& input, std::size_t chunkBytes, CaptureSession& session);
    std::string replayFile(QFile& input, std::size_t chunkBytes, CaptureSession& session);
    int fail(const std::string& message);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    TimeOfDaySource& m_clock;
};

} // namespace vexmoor
