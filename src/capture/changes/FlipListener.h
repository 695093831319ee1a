#pragma once

#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Hears of every frame that flipped bits, from the change tracker, once the frame is counted.
class FlipListener {
public:
    virtual ~FlipListener() = default;
    // index: the identifier's position in the tracker; bits: the flipped bits (bit i is bit i % 8 of
    // byte i / 8); timeUs: the frame's time stamp.
    virtual void bitsFlipped(std::size_t index, std::uint64_t bits, std::int64_t timeUs) = 0;
};

} // namespace vexmoor
