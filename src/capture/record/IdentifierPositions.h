#pragma once

#include "capture/record/CanFrame.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace vexmoor {

// Where each identifier sits in a tracker's own list, by identifier, extended flag and bus. Standard
// identifiers of bus 0 (every frame while rows are not kept per bus) are looked up straight by
// identifier, which keeps the common case free of hashing; the rest by map.
class IdentifierPositions final {
public:
    static constexpr std::uint32_t kNone = 0;

    // Position + 1 of the identifier, or kNone; an identifier out of range is never found.
    std::uint32_t find(std::uint32_t id, bool extended, std::uint8_t bus = 0) const
    {
        if (!inRange(id, extended))
            return kNone;
        if (!extended && bus == 0)
            return m_standard[id];
        const auto found = m_others.find(keyOf(id, extended, bus));
        return found != m_others.end() ? found->second : kNone;
    }
    std::uint32_t find(const CanFrame& frame) const { return find(frame.id, frame.extended, frame.bus); }

    // The slot of an identifier in range, to read or to fill with position + 1.
    std::uint32_t& slot(const CanFrame& frame)
    {
        if (!frame.extended && frame.bus == 0)
            return m_standard[frame.id];
        return m_others[keyOf(frame.id, frame.extended, frame.bus)];
    }

    void clear()
    {
        m_standard.fill(kNone);
        m_others.clear();
    }

    static bool inRange(std::uint32_t id, bool extended)
    {
        return id <= (extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId);
    }

private:
    static std::uint64_t keyOf(std::uint32_t id, bool extended, std::uint8_t bus)
    {
        return (std::uint64_t { bus } << 33) | (std::uint64_t { extended } << 32) | id;
    }

    std::array<std::uint32_t, CanFrame::kMaxStandardId + 1> m_standard {};
    std::unordered_map<std::uint64_t, std::uint32_t> m_others;
};

} // namespace vexmoor
