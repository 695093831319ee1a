#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor::board {

// The command line of vexmoor-board, read strictly: an option value that is not entirely a number
// in its range, an unknown option or options that contradict each other are refused rather than
// guessed at, because a simulator that quietly runs something other than what was asked for makes
// a test pass or fail for the wrong reason.
struct BoardOptions {
    // What the simulator stands in for: the companion board with its text records, or an slcan
    // (LAWICEL) USB CAN adapter that answers commands and sends the records as frame lines.
    enum class Protocol { Board, Slcan };

    bool showHelp = false;
    Protocol protocol = Protocol::Board;

    // Where to write: a new pseudo-terminal (with an optional symbolic link to it) or a given device.
    std::string linkPath;
    std::string devicePath;

    // What to write: the bytes of a file, or generated records.
    std::string filePath;
    bool loop = false;
    std::uint64_t records = 1000;
    unsigned identifierCount = 64;
    double changeShare = 0.1;
    std::uint64_t seed = 1;
    bool startupLine = true;

    // The slcan adapter.
    bool listenOnly = true; // whether it has a listen-only mode
    std::uint32_t clockStartMs = 0; // its millisecond clock when it is plugged in, 0 to 59999

    // How to write.
    std::uint64_t baud = 38400;
    double delaySeconds = 0;
    std::optional<double> stopAfterSeconds;
    double drainSeconds = 10;
    bool quiet = false;

    // Throws std::invalid_argument with a one-line reason when the arguments cannot be used.
    static BoardOptions parse(const std::vector<std::string_view>& arguments);
    static std::string usage();
};

} // namespace vexmoor::board
