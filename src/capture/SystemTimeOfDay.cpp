#include "capture/SystemTimeOfDay.h"

#include <chrono>

namespace vexmoor {

TimeOfDay SystemTimeOfDay::now()
{
    const std::time_t second = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
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
