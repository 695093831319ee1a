#pragma once

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vexmoor::board {

class RecordSource;
class SerialLine;

// One run of the board: the start-up line and the record stream go onto the line at line speed,
// then the board waits for the reader to take what it wrote. It keeps looking at the stop request a
// signal handler sets, and never waits more than a few milliseconds without doing so.
class BoardSession {
public:
    struct Settings {
        std::uint64_t baud = 38400; // 0: as fast as the reader takes the bytes
        bool startupLine = true;
        double delaySeconds = 0;
        std::optional<double> stopAfterSeconds;
    };

    enum class Ending { Finished, TimeUp, Stopped };

    struct Drain {
        bool stopped = false;
        std::size_t unread = 0; // bytes the reader still had not taken when the wait ended
    };

    BoardSession(SerialLine& line, RecordSource& source, const volatile std::sig_atomic_t& stopRequest);

    // Throws std::system_error when the line or the source fails; what was written until then stays counted.
    Ending write(const Settings& settings);
    // Waits up to `seconds` until the reader has taken every byte written. Closing a pseudo-terminal's
    // master throws away what its slave still holds, so the board must not leave before this.
    Drain drain(double seconds);

    // Records whose closing '>' went onto the line, and all bytes that did.
    std::uint64_t records() const { return m_records; }
    std::uint64_t bytes() const { return m_bytes; }

private:
    using Clock = std::chrono::steady_clock;

    bool stopRequested() const { return m_stopRequest != 0; }
    // False when a stop was requested meanwhile.
    bool pause(Clock::duration length) const;
    void account(const char* begin, std::size_t length);

    SerialLine& m_line;
    RecordSource& m_source;
    const volatile std::sig_atomic_t& m_stopRequest;
    std::uint64_t m_records = 0;
    std::uint64_t m_bytes = 0;
};

} // namespace vexmoor::board
