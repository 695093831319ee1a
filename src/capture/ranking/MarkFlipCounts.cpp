#include "capture/ranking/MarkFlipCounts.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace vexmoor {

void MarkFlipCounts::add(std::size_t index, int word, std::uint64_t bits, std::uint16_t distanceMs)
{
    const std::size_t slot = index * kWords + static_cast<std::size_t>(word);
    if (slot >= m_byWord.size())
        m_byWord.resize(slot + 1);
    if (!m_byWord[slot])
        m_byWord[slot] = std::make_unique<Counts>();
    Counts& counts = *m_byWord[slot];
    for (; bits != 0; bits &= bits - 1) {
        Count& count = counts[static_cast<std::size_t>(std::countr_zero(bits))];
        if (count.flips != std::numeric_limits<std::uint16_t>::max())
            ++count.flips;
        count.nearestMs = std::min(count.nearestMs, distanceMs);
    }
}

} // namespace vexmoor
