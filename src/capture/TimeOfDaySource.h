#pragma once

namespace vexmoor {

struct TimeOfDay {
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;

    bool operator==(const TimeOfDay&) const = default;
};

// The local time of day that stamps every row update; tests put a clock of their own here.
class TimeOfDaySource {
public:
    virtual ~TimeOfDaySource() = default;
    virtual TimeOfDay now() = 0;
};

} // namespace vexmoor
