#include "capture/record/SystemTimeOfDay.h"

#include <chrono>

namespace vexmoor {

TimeOfDay SystemTimeOfDay::now()
{
    return localTimeOf(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
}

TimeOfDay SystemTimeOfDay::at(std::int64_t epochMicroseconds)
{
    const auto second = std::chrono::floor<std::chrono::seconds>(std::chrono::microseconds(epochMicroseconds));
    return localTimeOf(static_cast<std::time_t>(second.count()));
}

TimeOfDay SystemTimeOfDay::localTimeOf(std::time_t second)
{
    if (second != m_convertedSecond) {
        std::tm local {};
#ifdef _WIN32
        localtime_s(&local, &second);
#else
        localtime_r(&second, &local);
#endif
        m_converted = TimeOfDay { local.tm_hour, local.tm_min, local.tm_sec };
        m_convertedSecond = second;
    }
    return m_converted;
}

} // namespace vexmoor
