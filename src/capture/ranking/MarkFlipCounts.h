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

    // Calls visit(index, bitIndex, flips, nearestMs) for every bit that flipped (bitIndex up to 511),
    // in the order of the identifiers.
    template <typename Visit> void forEach(Visit&& visit) const
    {
        for (std::size_t slot = 0; slot < m_byWord.size(); ++slot) {
            if (!m_byWord[slot])
                continue;
            const Counts& counts = *m_byWord[slot];
            const int firstBit = static_cast<int>(slot % kWords) * 64;
            for (int bit = 0; bit < 64; ++bit) {
                const Count& count = counts[static_cast<std::size_t>(bit)];
                if (count.flips != 0)
                    visit(slot / kWords, firstBit + bit, count.flips, count.nearestMs);
            }
        }
    }

private:
    struct Count {
        std::uint16_t flips = 0; // saturating: a window holds no more flips of interest
        std::uint16_t nearestMs = kFarMs;
    };
    using Counts = std::array<Count, 64>;

    std::vector<std::unique_ptr<Counts>> m_byWord; // by index * kWords + word
};

} // namespace vexmoor
