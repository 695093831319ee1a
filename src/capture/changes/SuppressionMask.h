#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace vexmoor {

class ChangeTracker;
class IdentifierChanges;

// The bits the user has set aside because they always move (counters, checksums, toggles), per
// identifier: a change made only by them is not worth the eye. Bit i is bit i % 8 of byte i / 8, as
// in IdentifierChanges. A standard and an extended identifier of the same number are apart.
class SuppressionMask final {
public:
    static constexpr std::int64_t kDefaultWindowUs = 3'000'000;

    // Adds every bit whose last flip lies within (nowUs - windowUs, nowUs] to what is suppressed. A
    // flip stamped after nowUs belongs to another clock and is left alone; so is everything when the
    // window is not positive. Returns how many bits flipped within the window, suppressed before or
    // not: none means that nothing moved to suppress.
    std::size_t suppressRecent(const ChangeTracker& changes, std::int64_t nowUs,
                               std::int64_t windowUs = kDefaultWindowUs);
    void clear();

    // Adds bits to the identifier's, as a session file brings them.
    void suppress(std::uint32_t id, bool extended, std::uint64_t bits);
    // Hands visit(id, extended, bits) every identifier with suppressed bits, in identifier order.
    void forEach(const std::function<void(std::uint32_t, bool, std::uint64_t)>& visit) const;

    // How many bits are suppressed, over every identifier.
    std::size_t maskedBits() const { return m_maskedBits; }
    // The identifier's suppressed bits; 0 when none.
    std::uint64_t mask(std::uint32_t id, bool extended) const;
    // Whether a bit not suppressed flipped within (nowUs - windowUs, nowUs]: what is left to see once
    // the bits that always move are set aside.
    bool changedOutside(const IdentifierChanges& changes, std::int64_t nowUs,
                        std::int64_t windowUs = kDefaultWindowUs) const;

private:
    static std::uint64_t keyOf(std::uint32_t id, bool extended);

    std::unordered_map<std::uint64_t, std::uint64_t> m_masks;
    std::size_t m_maskedBits = 0;
};

} // namespace vexmoor
