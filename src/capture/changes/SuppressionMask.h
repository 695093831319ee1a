#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace vexmoor {

class ChangeTracker;
class IdentifierChanges;

// The bits the user has set aside because they always move (counters, checksums, toggles), per
// identifier: a change made only by them is not worth the eye. Bit i is bit i % 8 of byte i / 8, as
// in IdentifierChanges, up to a CAN FD frame's 512, in words of 64. A standard and an extended
// identifier of the same number are apart, and so is one identifier on two buses while rows are kept
// per bus.
class SuppressionMask final {
public:
    static constexpr std::int64_t kDefaultWindowUs = 3'000'000;
    static constexpr int kWords = 8;
    using Words = std::array<std::uint64_t, kWords>;

    // Adds every bit whose last flip lies within (nowUs - windowUs, nowUs] to what is suppressed. A
    // flip stamped after nowUs belongs to another clock and is left alone; so is everything when the
    // window is not positive. Returns how many bits flipped within the window, suppressed before or
    // not: none means that nothing moved to suppress.
    std::size_t suppressRecent(const ChangeTracker& changes, std::int64_t nowUs,
                               std::int64_t windowUs = kDefaultWindowUs);
    void clear();

    // Adds bits to the identifier's, as a session file brings them: word w holds bits 64w to 64w + 63.
    void suppress(std::uint32_t id, bool extended, const Words& words, std::uint8_t bus = 0);
    // Hands visit(id, extended, bus, words) every identifier with suppressed bits, by bus, then
    // standard before extended, then identifier.
    void forEach(const std::function<void(std::uint32_t, bool, std::uint8_t, const Words&)>& visit) const;

    // How many bits are suppressed, over every identifier.
    std::size_t maskedBits() const { return m_maskedBits; }
    // The identifier's suppressed bits of one word of 64 (the first 8 bytes: word 0); 0 when none.
    std::uint64_t mask(std::uint32_t id, bool extended, int word = 0, std::uint8_t bus = 0) const;
    bool isSuppressed(std::uint32_t id, bool extended, int bitIndex, std::uint8_t bus = 0) const;
    // The suppressed bits of one byte, bit i of the byte as bit i.
    std::uint8_t byteMask(std::uint32_t id, bool extended, int byte, std::uint8_t bus = 0) const;
    // Whether a bit not suppressed flipped within (nowUs - windowUs, nowUs]: what is left to see once
    // the bits that always move are set aside.
    bool changedOutside(const IdentifierChanges& changes, std::int64_t nowUs,
                        std::int64_t windowUs = kDefaultWindowUs) const;

private:
    static std::uint64_t keyOf(std::uint32_t id, bool extended, std::uint8_t bus);

    std::unordered_map<std::uint64_t, Words> m_masks;
    std::size_t m_maskedBits = 0;
};

} // namespace vexmoor
