#pragma once

#include "emulation/RandomSource.h"

#include <cstdint>
#include <random>

namespace vexmoor {

// A 64-bit Mersenne twister. Re-seeding folds the clock into the present state instead of starting
// afresh, so two generators that re-seed at the same clock reading still draw different numbers.
class ClockSeededRandom final : public RandomSource {
public:
    explicit ClockSeededRandom(std::uint64_t seed = 5489);

    void reseedFromClock() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};

} // namespace vexmoor
