#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vexmoor {

class RandomSource;

// Returns a random whole number from lower to upper, both included, every value equally likely.
// Throws std::overflow_error when the span or the result leaves the signed 16-bit range.
std::int16_t RandomBetween(RandomSource& random, std::int16_t lower, std::int16_t upper);

// Makes up records for working without the companion board: nine numbers, the identifier and eight
// bytes, joined by commas between "<" and ">", with no comma before the ">".
class SampleGenerator final {
public:
    struct Bounds {
        std::int16_t lower;
        std::int16_t upper;
    };
    // The identifier's bounds and each byte's; a fixed value has equal bounds and is not drawn.
    using RecordBounds = std::array<Bounds, 9>;

    static const RecordBounds kRandomSample;
    static const RecordBounds kEmulationTick;
    static const RecordBounds kUnimplemented;

    explicit SampleGenerator(RandomSource& random);

    // Re-seeds the source from the clock, then draws the record's fields in order.
    std::string makeRecord(const RecordBounds& bounds);

private:
    RandomSource& m_random;
};

} // namespace vexmoor
