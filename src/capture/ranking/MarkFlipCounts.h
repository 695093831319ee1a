#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vexmoor {

// How often each bit of each identifier flipped within one mark's window, and how close to the mark
// its nearest flip came. Counted straight by the identifier's position in the tracker, with a block
// made for an identifier at its first flip: a busy bus flips bits on most frames, and a count must
// cost no more than an add.
class MarkFlipCounts final {
public:
    static constexpr std::uint16_t kFarMs = 0xFFFF;

    // distanceMs: how far from the mark the flips came, before or after it.
    void add(std::size_t index, std::uint64_t bits, std::uint16_t distanceMs);
    void clear() { m_byIdentifier.clear(); }

    // Calls visit(index, bitIndex, flips, nearestMs) for every bit that flipped, in the order of the
    // identifiers.
    template <typename Visit> void forEach(Visit&& visit) const
    {
        for (std::size_t index = 0; index < m_byIdentifier.size(); ++index) {
            if (!m_byIdentifier[index])
                continue;
            const Counts& counts = *m_byIdentifier[index];
            for (int bit = 0; bit < 64; ++bit) {
                const Count& count = counts[static_cast<std::size_t>(bit)];
                if (count.flips != 0)
                    visit(index, bit, count.flips, count.nearestMs);
            }
        }
    }

private:
    struct Count {
        std::uint16_t flips = 0; // saturating: a window holds no more flips of interest
        std::uint16_t nearestMs = kFarMs;
    };
    using Counts = std::array<Count, 64>;

    std::vector<std::unique_ptr<Counts>> m_byIdentifier;
};

} // namespace vexmoor
