#include "capture/ranking/MarkFlipCounts.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace vexmoor {

void MarkFlipCounts::add(std::size_t index, std::uint64_t bits, std::uint16_t distanceMs)
{
    if (index >= m_byIdentifier.size())
        m_byIdentifier.resize(index + 1);
    if (!m_byIdentifier[index])
        m_byIdentifier[index] = std::make_unique<Counts>();
    Counts& counts = *m_byIdentifier[index];
    for (; bits != 0; bits &= bits - 1) {
        Count& count = counts[static_cast<std::size_t>(std::countr_zero(bits))];
        if (count.flips != std::numeric_limits<std::uint16_t>::max())
            ++count.flips;
        count.nearestMs = std::min(count.nearestMs, distanceMs);
    }
}

} // namespace vexmoor
