#pragma once

namespace vexmoor {

// Where the generators draw their numbers: uniform values in [0, 1), never 1. Each generator first
// folds the clock into the source; tests put a source of their own here to draw a known sequence.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual double next() = 0;
};

} // namespace vexmoor
