#include "platform/SteadyClock.h"

namespace vexmoor {

std::chrono::microseconds SteadyClock::now()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace vexmoor
