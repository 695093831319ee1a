#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmoor {

// The program's command line. Without arguments the program is the desktop window; the headless
// modes replay a log or a recorded board stream, or capture from a serial port, and write the table
// as CSV, rank the bits of a log against marks, or propose the fields of a log's messages.
class CommandLine final {
public:
    enum class Mode { Window, Help, Version, Replay, Capture, Rank, Dbc, Anatomy };

    static constexpr std::size_t kDefaultChunkBytes = 4096;
    static constexpr std::size_t kMaxChunkBytes = std::size_t { 1 } << 30;
    static constexpr double kMaxSeconds = 1e7;
    static constexpr double kMaxWindowSeconds = 60;

    struct Options {
        Mode mode = Mode::Window;
        std::string source; // the replayed file ("-": standard input) or the captured port
        std::size_t chunkBytes = kDefaultChunkBytes;
        std::optional<double> seconds;
        std::optional<std::string> minimumId;
        std::string csvPath = "-";
        // The replay: only the frames of this interface of a log that holds several; empty: all.
        std::string interfaceName;
        // The capture: where its candump log goes; empty: none.
        std::string logPath;
        // The replay: where the flips of every bit go as CSV; empty: nowhere.
        std::string bitStatsPath;
        // The ranking: the marks file, how many bits to write (all when empty), and the window around
        // each mark in seconds before and after it (the ranking's own when empty).
        std::string marksPath;
        std::optional<std::size_t> top;
        std::optional<std::pair<double, double>> window;
        // The signal database: read and checked alone, written again to saveDbcPath, or the replay's
        // frames decoded with it to decodePath. Empty: none.
        std::string dbcPath;
        // The session the window opens with, or a replay, ranking or capture starts from; and where a
        // replay or ranking writes the session it leaves. Empty: none.
        std::string sessionPath;
        std::string saveSessionPath;
        std::string saveDbcPath;
        std::string decodePath;
        // A row per bus and identifier: the outputs name each row's bus.
        bool rowsPerBus = false;
    };

    struct Parsed {
        std::optional<Options> options;
        std::string error;
    };

    static Parsed parse(const std::vector<std::string>& arguments);
    static std::string_view usage();
    // How a command gives up: "vexmoor: " and why on one line of err, and the exit status to return.
    static int fail(std::ostream& err, std::string_view message);
};

} // namespace vexmoor
