#pragma once

#include <cstdint>

namespace vexmoor {

// One bit's place in the ranking: how well its flips follow the marks.
struct RankedBit {
    std::uint32_t id = 0;
    bool extended = false;
    std::uint8_t bus = 0; // the bus's number while rows are kept per bus
    int byte = 0; // 0-based position in the data
    int bit = 0; // 0 the least significant (value 1) to 7
    int marksHit = 0; // marks with a flip of the bit in their window
    int marks = 0; // marks taken
    std::uint64_t changesElsewhere = 0; // flips outside every mark's window
    double score = 0;
};

} // namespace vexmoor
