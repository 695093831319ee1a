#pragma once

#include "capture/record/CanFrame.h"
#include "capture/record/IdentifierPositions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vexmoor {

// Every frame with an identifier, kept with its time stamp so that what is asked of the past later (a
// value plotted after the switch was pressed, a signal defined after the drive) still finds it. The
// memory is bounded: past the limit the oldest frames of the whole bus go first, whichever identifier
// they belong to.
//
// A frame costs its own data bytes and 7 more: the gap since its identifier's frame before it (4),
// its length (1) and its place in the order of arrival (2); a CAN FD frame one more for its flags. An
// 8-byte frame takes 15 bytes, so the default limit keeps about 14 million of them: nearly two hours
// of a bus at 2,000 frames a second.
class FrameHistory final {
public:
    static constexpr std::size_t kDefaultLimitBytes = std::size_t { 200 } << 20;
    // The smallest limit a user can set; the history always keeps a little of the past.
    static constexpr std::size_t kMinLimitBytes = std::size_t { 1 } << 20;
    // As the change tracker: a broken source can invent identifiers without end.
    static constexpr std::size_t kMaxIdentifiers = std::size_t { 1 } << 16;

    explicit FrameHistory(std::size_t limitBytes = kDefaultLimitBytes);
    ~FrameHistory();
    FrameHistory(const FrameHistory&) = delete;
    FrameHistory& operator=(const FrameHistory&) = delete;

    void observe(const CanFrame& frame);
    void clear();

    // A lower limit lets the oldest frames go at once.
    void setLimitBytes(std::size_t limitBytes);
    std::size_t limitBytes() const { return m_limitBytes; }
    // What the kept frames take, their blocks' unused ends included.
    std::size_t bytesUsed() const { return m_bytesUsed; }
    std::uint64_t framesKept() const { return m_order.size(); }
    // Frames let go for the limit since the last clear(): when not 0, the history does not reach back
    // to the first frame.
    std::uint64_t framesDropped() const { return m_dropped; }
    // Frames not kept: of new identifiers past the bound, or with an identifier out of range.
    std::uint64_t framesNotKept() const { return m_notKept; }
    // The time of the oldest frame kept, of any identifier.
    std::optional<std::int64_t> earliestUs() const;

    // Hands every kept frame of one identifier to visit, oldest first.
    void forEachFrame(std::uint32_t id, bool extended, const std::function<void(const CanFrame&)>& visit,
                      std::uint8_t bus = 0) const;

private:
    struct Identifier;

    // The identifier's place, new or not; nothing past the bound.
    std::optional<std::uint16_t> findOrAdd(const CanFrame& frame);
    const Identifier* find(std::uint32_t id, bool extended, std::uint8_t bus) const;
    void startBlock(Identifier& identifier);
    void dropOldest();
    void dropToLimit();

    std::size_t m_limitBytes;
    std::size_t m_bytesUsed = 0;
    std::uint64_t m_dropped = 0;
    std::uint64_t m_notKept = 0;
    std::vector<Identifier> m_identifiers;
    // Which identifier each kept frame belongs to, in the order the frames came: the front is the
    // oldest frame of all.
    std::deque<std::uint16_t> m_order;
    IdentifierPositions m_positions;
};

} // namespace vexmoor
