#include "LinePacer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexmoor::board {

namespace {
constexpr double bitsPerByte = 10;
// Enough to ride over a late wake-up of the writing loop, too little to be seen as a burst.
constexpr double capacitySeconds = 0.02;
} // namespace

LinePacer::LinePacer(std::uint64_t baud, Clock::time_point start)
    : m_bytesPerSecond(static_cast<double>(baud) / bitsPerByte)
    // At a very low speed 20 ms is less than one byte; at least one byte must fit or none would ever go.
    , m_capacity(std::max(m_bytesPerSecond * capacitySeconds, 1.0))
    , m_last(start)
{
}

std::size_t LinePacer::allowance(Clock::time_point now)
{
    if (!paced())
        return std::numeric_limits<std::size_t>::max();
    if (now > m_last) {
        const double elapsed = std::chrono::duration<double>(now - m_last).count();
        m_credit = std::min(m_credit + elapsed * m_bytesPerSecond, m_capacity);
        m_last = now;
    }
    return m_credit >= 1 ? static_cast<std::size_t>(std::floor(m_credit)) : 0;
}

void LinePacer::spend(std::size_t bytes)
{
    if (paced())
        m_credit -= static_cast<double>(bytes);
}

LinePacer::Clock::duration LinePacer::untilNextByte() const
{
    if (!paced() || m_credit >= 1)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>((1 - m_credit) / m_bytesPerSecond));
}

} // namespace vexmoor::board
