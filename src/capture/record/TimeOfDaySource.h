#pragma once

#include <cstdint>

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
    // The time of day of a frame's own time stamp, for a source that has a clock. This one reads it
    // in UTC, so that tests need no time zone; the system clock reads it in local time.
    virtual TimeOfDay at(std::int64_t epochMicroseconds);
};

} // namespace vexmoor
