#pragma once

#include "capture/record/TimeOfDaySource.h"

namespace vexmoor::test {

// The clock of every test: it shows the time it is set to.
class FixedClock final : public TimeOfDaySource {
public:
    FixedClock() = default;
    explicit FixedClock(TimeOfDay fixed)
        : time(fixed)
    {
    }

    TimeOfDay time { 12, 34, 56 };
    TimeOfDay now() override { return time; }
};

} // namespace vexmoor::test
