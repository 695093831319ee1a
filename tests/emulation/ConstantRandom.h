#pragma once

#include "emulation/RandomSource.h"

namespace vexmoor::test {

// Draws the same value every time: 0 gives every field its lower bound, a value just below 1 its
// upper bound.
class ConstantRandom final : public RandomSource {
public:
    explicit ConstantRandom(double value)
        : m_value(value)
    {
    }
    void reseedFromClock() override { }
    double next() override { return m_value; }

private:
    double m_value;
};

} // namespace vexmoor::test
