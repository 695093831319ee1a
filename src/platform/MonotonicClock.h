#pragma once

#include <chrono>

namespace vexmoor {

// A clock that only moves forward, for pacing: a paced replay reads it to know how much time passed,
// and tests put a clock here that they move by hand instead of waiting.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::microseconds now() = 0;
};

} // namespace vexmoor
