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

SuppressionMask::Words recentBits(const IdentifierChanges& changes, std::int64_t nowUs, std::int64_t windowUs)
{
    SuppressionMask::Words words {};
    const int bits = changes.hasLongData() ? IdentifierChanges::kBits : CanFrame::kMaxClassicLength * 8;
    for (int bit = 0; bit < bits; ++bit) {
        if (flippedWithin(changes.bitFlippedUs(bit), nowUs, windowUs))
            words[static_cast<std::size_t>(bit / 64)] |= std::uint64_t { 1 } << (bit % 64);
    }
    return words;
}

bool isEmpty(const SuppressionMask::Words& words)
{
    return std::all_of(words.begin(), words.end(), [](std::uint64_t word) { return word == 0; });
}

} // namespace

std::size_t SuppressionMask::suppressRecent(const ChangeTracker& changes, std::int64_t nowUs, std::int64_t windowUs)
{
    std::size_t flipped = 0;
    for (std::size_t index = 0; index < changes.size(); ++index) {
        const IdentifierChanges& identifier = changes.at(index);
        const Words words = recentBits(identifier, nowUs, windowUs);
        if (isEmpty(words))
            continue;
        for (const std::uint64_t word : words)
            flipped += static_cast<std::size_t>(std::popcount(word));
        suppress(identifier.id(), identifier.extended(), words, identifier.bus());
    }
    return flipped;
}

void SuppressionMask::suppress(std::uint32_t id, bool extended, const Words& words, std::uint8_t bus)
{
    Words& mask = m_masks[keyOf(id, extended, bus)];
    for (std::size_t word = 0; word < mask.size(); ++word) {
        m_maskedBits += static_cast<std::size_t>(std::popcount(words[word] & ~mask[word]));
        mask[word] |= words[word];
    }
}

void SuppressionMask::forEach(const std::function<void(std::uint32_t, bool, std::uint8_t, const Words&)>& visit) const
{
    std::vector<std::pair<std::uint64_t, Words>> sorted(m_masks.begin(), m_masks.end());
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [key, words] : sorted) {
        if (!isEmpty(words))
            visit(static_cast<std::uint32_t>(key), ((key >> 32) & 1) != 0, static_cast<std::uint8_t>(key >> 33), words);
    }
}

void SuppressionMask::clear()
{
    m_masks.clear();
    m_maskedBits = 0;
}

std::uint64_t SuppressionMask::mask(std::uint32_t id, bool extended, int word, std::uint8_t bus) const
{
    if (word < 0 || word >= kWords)
        return 0;
    const auto found = m_masks.find(keyOf(id, extended, bus));
    return found != m_masks.end() ? found->second[static_cast<std::size_t>(word)] : 0;
}

bool SuppressionMask::isSuppressed(std::uint32_t id, bool extended, int bitIndex, std::uint8_t bus) const
{
    return bitIndex >= 0 && ((mask(id, extended, bitIndex / 64, bus) >> (bitIndex % 64)) & 1U) != 0;
}

std::uint8_t SuppressionMask::byteMask(std::uint32_t id, bool extended, int byte, std::uint8_t bus) const
{
    return byte < 0 ? 0 : static_cast<std::uint8_t>(mask(id, extended, byte / 8, bus) >> (byte % 8 * 8));
}

bool SuppressionMask::changedOutside(const IdentifierChanges& changes, std::int64_t nowUs, std::int64_t windowUs) const
{
    const int words = changes.hasLongData() ? kWords : 1;
    for (int word = 0; word < words; ++word) {
        const std::uint64_t shown = ~mask(changes.id(), changes.extended(), word, changes.bus());
        for (std::uint64_t bits = shown; bits != 0; bits &= bits - 1) {
            if (flippedWithin(changes.bitFlippedUs(word * 64 + std::countr_zero(bits)), nowUs, windowUs))
                return true;
        }
    }
    return false;
}

std::uint64_t SuppressionMask::keyOf(std::uint32_t id, bool extended, std::uint8_t bus)
{
    return (std::uint64_t { bus } << 33) | (static_cast<std::uint64_t>(extended) << 32) | id;
}

} // namespace vexmoor
