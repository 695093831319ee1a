#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace vexmoor::board {

// Lets bytes onto the line no faster than a serial line of the given speed carries them (10 bits a
// byte: start bit, 8 data bits, stop bit). Credit builds up with time and each write spends it; the
// credit is capped at a few milliseconds' worth, so that after the reader has held the line up
// the board carries on at line speed instead of catching up in a burst no real line could carry.
class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    // A baud of 0 means no pacing at all.
    LinePacer(std::uint64_t baud, Clock::time_point start);

    bool paced() const { return m_bytesPerSecond > 0; }
    // How many bytes may go onto the line at `now`.
    std::size_t allowance(Clock::time_point now);
    void spend(std::size_t bytes);
    // How long until the next byte is due, from the time of the last allowance.
    Clock::duration untilNextByte() const;

private:
    double m_bytesPerSecond;
    double m_capacity;
    double m_credit = 0;
    Clock::time_point m_last;
};

} // namespace vexmoor::board
