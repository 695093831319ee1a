#include "emulation/ClockSeededRandom.h"

#include <chrono>

namespace vexmoor {

ClockSeededRandom::ClockSeededRandom(std::uint64_t seed)
    : m_engine(seed)
{
}

void ClockSeededRandom::reseedFromClock()
{
    const auto clock = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    m_engine.seed(m_engine() ^ clock);
}

double ClockSeededRandom::next()
{
    // 53 random bits scaled into [0, 1): every value a double can hold there, and never 1.
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

} // namespace vexmoor
