#pragma once

#include "capture/record/TimeOfDaySource.h"

#include <ctime>

namespace vexmoor {

// The host's local time of day. Converting to local time costs far more than a record, so the
// conversion is made once per second of the system clock.
class SystemTimeOfDay final : public TimeOfDaySource {
public:
    TimeOfDay now() override;
    TimeOfDay at(std::int64_t epochMicroseconds) override;

private:
    TimeOfDay localTimeOf(std::time_t second);

    std::time_t m_convertedSecond = -1;
    TimeOfDay m_converted;
};

} // namespace vexmoor
