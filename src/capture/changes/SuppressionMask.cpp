#include "capture/changes/SuppressionMask.h"

#include "capture/changes/ChangeTracker.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace vexmoor {

namespace {

// Time stamps come from sources that may be broken: the age is taken without a signed overflow.
bool flippedWithin(std::int64_t flippedUs, std::int64_t nowUs, std::int64_t windowUs)
{
    if (flippedUs == IdentifierChanges::kNever || flippedUs > nowUs || windowUs <= 0)
        return false;
    const std::uint64_t ageUs = static_cast<std::uint64_t>(nowUs) - static_cast<std::uint64_t>(flippedUs);
    return ageUs < static_cast<std::uint64_t>(windowUs);
}

std::uint64_t recentBits(const IdentifierChanges& changes, std::int64_t nowUs, std::int64_t windowUs)
{
    std::uint64_t bits = 0;
    for (int bit = 0; bit < IdentifierChanges::kBits; ++bit) {
        if (flippedWithin(changes.bitFlippedUs(bit), nowUs, windowUs))
            bits |= std::uint64_t { 1 } << bit;
    }
    return bits;
}

} // namespace

std::size_t SuppressionMask::suppressRecent(const ChangeTracker& changes, std::int64_t nowUs, std::int64_t windowUs)
{
    std::size_t flipped = 0;
    for (std::size_t index = 0; index < changes.size(); ++index) {
        const IdentifierChanges& identifier = changes.at(index);
        const std::uint64_t bits = recentBits(identifier, nowUs, windowUs);
        if (bits == 0)
            continue;
        flipped += static_cast<std::size_t>(std::popcount(bits));
        std::uint64_t& mask = m_masks[keyOf(identifier.id(), identifier.extended())];
        m_maskedBits += static_cast<std::size_t>(std::popcount(bits & ~mask));
        mask |= bits;
    }
    return flipped;
}

void SuppressionMask::suppress(std::uint32_t id, bool extended, std::uint64_t bits)
{
    std::uint64_t& mask = m_masks[keyOf(id, extended)];
    m_maskedBits += static_cast<std::size_t>(std::popcount(bits & ~mask));
    mask |= bits;
}

void SuppressionMask::forEach(const std::function<void(std::uint32_t, bool, std::uint64_t)>& visit) const
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> sorted(m_masks.begin(), m_masks.end());
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [key, bits] : sorted) {
        if (bits != 0)
            visit(static_cast<std::uint32_t>(key), (key >> 32) != 0, bits);
    }
}

void SuppressionMask::clear()
{
    m_masks.clear();
    m_maskedBits = 0;
}

std::uint64_t SuppressionMask::mask(std::uint32_t id, bool extended) const
{
    const auto found = m_masks.find(keyOf(id, extended));
    return found != m_masks.end() ? found->second : 0;
}

bool SuppressionMask::changedOutside(const IdentifierChanges& changes, std::int64_t nowUs, std::int64_t windowUs) const
{
    const std::uint64_t shown = ~mask(changes.id(), changes.extended());
    for (std::uint64_t bits = shown; bits != 0; bits &= bits - 1) {
        if (flippedWithin(changes.bitFlippedUs(std::countr_zero(bits)), nowUs, windowUs))
            return true;
    }
    return false;
}

std::uint64_t SuppressionMask::keyOf(std::uint32_t id, bool extended)
{
    return (static_cast<std::uint64_t>(extended) << 32) | id;
}

} // namespace vexmoor
