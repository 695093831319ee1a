#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vexmoor {

// How often each bit of each identifier flipped within one mark's window, and how close to the mark
// its nearest flip came. Counted straight by the identifier's position in the tracker and the word
// of 64 bits, with a block made for a word at its first flip: a busy bus flips bits on most frames,
// and a count must cost no more than an add.
class MarkFlipCounts final {
public:
    static constexpr std::uint16_t kFarMs = 0xFFFF;
    static constexpr std::size_t kWords = 8; // of a CAN FD frame's 512 bits

    // word: which 64 bits of the frame; distanceMs: how far from the mark the flips came, before or
    // after it.
    void add(std::size_t index, int word, std::uint64_t bits, std::uint16_t distanceMs);
    void clear() { m_byWord.clear(); }

    struct Count {
        std::uint16_t flips = 0; // saturating: a window holds no more flips of interest
        std::uint16_t nearestMs = kFarMs;
    };
    using Counts = std::array<Count, 64>;

    // The counts by slot, index * kWords + word: slotCount() of them, null where nothing flipped.
    std::size_t slotCount() const { return m_byWord.size(); }
    const Counts* countsAt(std::size_t slot) const { return slot < m_byWord.size() ? m_byWord[slot].get() : nullptr; }

private:
    std::vector<std::unique_ptr<Counts>> m_byWord; // by index * kWords + word
};

} // namespace vexmoor
