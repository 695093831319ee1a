#pragma once

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vexmoor::board {

class LineFeed;
class SerialLine;

// One run of the board: what the feed gives goes onto the line at line speed, and what the reader
// writes goes to the feed when it listens; then the board waits for the reader to take what it
// wrote. It keeps looking at the stop request a signal handler sets, and never waits more than a few
// milliseconds without doing so.
class BoardSession {
public:
    struct Settings {
        std::uint64_t baud = 38400; // 0: as fast as the reader takes the bytes
        double delaySeconds = 0;
        std::optional<double> stopAfterSeconds;
    };

    enum class Ending { Finished, TimeUp, Stopped };

    struct Drain {
        bool stopped = false;
        std::size_t unread = 0; // bytes the reader still had not taken when the wait ended
    };

    // A feed that listens needs a line that can be read (throws std::logic_error otherwise).
    BoardSession(SerialLine& line, LineFeed& feed, const volatile std::sig_atomic_t& stopRequest);

    // Throws std::system_error when the line or the source fails; what was written until then stays counted.
    Ending write(const Settings& settings);
    // Waits up to `seconds` until the reader has taken every byte written. Closing a pseudo-terminal's
    // master throws away what its slave still holds, so the board must not leave before this.
    Drain drain(double seconds);

    // All bytes that went onto the line; the feed counts its records.
    std::uint64_t bytes() const { return m_bytes; }

private:
    using Clock = std::chrono::steady_clock;

    bool stopRequested() const { return m_stopRequest != 0; }
    // False when a stop was requested meanwhile.
    bool pause(Clock::duration length) const;
    // Hands what the reader wrote to a feed that listens.
    void listen();
    // False when the stream is over.
    bool takeNextPiece(std::string& piece, std::size_t wanted, Clock::time_point now, Clock::time_point deadline);

    SerialLine& m_line;
    LineFeed& m_feed;
    const volatile std::sig_atomic_t& m_stopRequest;
    std::string m_input; // what the reader wrote, read in one go
    std::uint64_t m_bytes = 0;
};

} // namespace vexmoor::board
