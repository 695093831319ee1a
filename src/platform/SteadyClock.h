#pragma once

#include "platform/MonotonicClock.h"

namespace vexmoor {

// The system's steady clock, which no change of the wall clock moves.
class SteadyClock final : public MonotonicClock {
public:
    std::chrono::microseconds now() override;
};

} // namespace vexmoor
