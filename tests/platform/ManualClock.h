#pragma once

#include "platform/MonotonicClock.h"

namespace vexmoor::test {

// A monotonic clock that moves only when a test moves it.
class ManualClock final : public MonotonicClock {
public:
    std::chrono::microseconds now() override { return time; }
    void advance(std::chrono::microseconds step) { time += step; }

    std::chrono::microseconds time { 1'000'000 };
};

} // namespace vexmoor::test
