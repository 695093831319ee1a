#pragma once

#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Hears of every frame that flipped bits, from the change tracker, once the frame is counted.
class FlipListener {
public:
    virtual ~FlipListener() = default;
    // index: the identifier's position in the tracker; word: which 64 of the frame's up to 512 bits;
    // bits: those of them that flipped (bit i is bit i % 8 of byte 8 * word + i / 8); timeUs: the
    // frame's time stamp. The words of one frame come one call each, the first 8 bytes' last.
    virtual void bitsFlipped(std::size_t index, int word, std::uint64_t bits, std::int64_t timeUs) = 0;
};

} // namespace vexmoor
