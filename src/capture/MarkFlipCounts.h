#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vexmoor {

// How often each bit of each identifier flipped within one mark's window. Counted straight by the
// identifier's position in the tracker, with a block of counts made for an identifier at its first
// flip: a busy bus flips bits on most frames, and a count must cost no more than an add.
class MarkFlipCounts final {
public:
    void add(std::size_t index, std::uint64_t bits);
    void clear() { m_byIdentifier.clear(); }

    // Calls visit(index, bitIndex, flips) for every bit that flipped, in the order of the identifiers.
    template <typename Visit> void forEach(Visit&& visit) const
    {
        for (std::size_t index = 0; index < m_byIdentifier.size(); ++index) {
            if (!m_byIdentifier[index])
                continue;
            const Counts& counts = *m_byIdentifier[index];
            for (int bit = 0; bit < 64; ++bit) {
                if (counts[static_cast<std::size_t>(bit)] != 0)
                    visit(index, bit, counts[static_cast<std::size_t>(bit)]);
            }
        }
    }

private:
    using Counts = std::array<std::uint16_t, 64>; // saturating: a window holds no more flips of interest

    std::vector<std::unique_ptr<Counts>> m_byIdentifier;
};

} // namespace vexmoor
