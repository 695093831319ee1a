#include "capture/record/TimeOfDaySource.h"

namespace vexmoor {

TimeOfDay TimeOfDaySource::at(std::int64_t epochMicroseconds)
{
    constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;
    constexpr std::int64_t kSecondsPerDay = 86'400;
    std::int64_t second = epochMicroseconds / kMicrosecondsPerSecond;
    if (epochMicroseconds % kMicrosecondsPerSecond < 0)
        --second;
    std::int64_t ofDay = second % kSecondsPerDay;
    if (ofDay < 0)
        ofDay += kSecondsPerDay;
    return { static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60), static_cast<int>(ofDay % 60) };
}

} // namespace vexmoor
