#pragma once

#include "capture/record/FramesClock.h"

#include <cstdint>

namespace vexmoor::test {

// A frames clock that stands where the test puts it.
class FixedFramesClock final : public FramesClock {
public:
    explicit FixedFramesClock(std::int64_t atUs = 0)
        : nowAtUs(atUs)
    {
    }

    std::int64_t nowAtUs;
    std::int64_t nowUs() const override { return nowAtUs; }
};

} // namespace vexmoor::test
