#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vexmoor {

class CaptureSession;
class TimeOfDaySource;

// The headless replay: bytes as they would arrive at the serial port go through the serial scan in
// polls of a fixed size, and the resulting message table is written as CSV. No window, no display.
class ReplayCommand final {
public:
    static constexpr std::size_t kDefaultChunkBytes = 4096;
    static constexpr std::size_t kMaxChunkBytes = std::size_t { 1 } << 30;
    static constexpr int kExitFailure = 2;

    ReplayCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError,
                  TimeOfDaySource& clock);

    // Runs the command line (without the program name) and returns the exit status.
    int run(const std::vector<std::string>& arguments);

private:
    struct Options {
        std::optional<std::string> inputPath;
        std::size_t chunkBytes = kDefaultChunkBytes;
        std::optional<std::string> minimumId;
        std::string csvPath = "-";
        bool help = false;
        bool version = false;
    };

    std::optional<Options> parse(const std::vector<std::string>& arguments);
    int replay(const Options& options);
    bool replayStream(std::istream& input, const Options& options, CaptureSession& session);
    int fail(const std::string& message);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    TimeOfDaySource& m_clock;
};

} // namespace vexmoor
