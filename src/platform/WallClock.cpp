#include "platform/WallClock.h"

#include <chrono>
#include <time.h>

namespace vexmoor {

std::int64_t WallClock::nowUs() const
{
    if (m_precision == Precision::Coarse) {
        timespec now {};
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const WallClock& WallClock::exact()
{
    static const WallClock clock;
    return clock;
}

} // namespace vexmoor
