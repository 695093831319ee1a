#pragma once

#include "capture/changes/RecentActivity.h"
#include "capture/record/CanFrame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vexmoor {

// What one identifier's frames did, byte by byte and bit by bit, on the frames' own clock. Its size
// is fixed: nothing in it grows with the traffic. An index outside the bytes or bits throws
// std::out_of_range.
class alignas(64) IdentifierChanges {
public:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
    static constexpr int kBits = CanFrame::kMaxClassicLength * 8;

    IdentifierChanges();

    std::uint32_t id() const;
    bool extended() const;
    // The latest frame's data; a remote frame has none.
    std::uint8_t length() const;
    std::uint8_t byte(int index) const;
    bool bit(int bitIndex) const; // bitIndex = byte * 8 + bit, bit 0 the least significant
    std::uint64_t frames() const;
    std::int64_t firstFrameUs() const { return m_firstFrameUs; }
    std::int64_t lastFrameUs() const;
    // The identifier's position in its tracker, in the order the first frames came.
    std::size_t index() const { return m_index; }

    // The time of the byte's last change and its direction then (+1 up, -1 down; 0 never changed).
    std::int64_t byteChangedUs(int index) const;
    int byteDirection(int index) const;
    // The time of the bit's last flip (kNever: never) and how often it flipped: against the frame of
    // the identifier just before, a byte one of the two frames does not have being no flip.
    std::int64_t bitFlippedUs(int bitIndex) const;
    std::uint32_t bitFlips(int bitIndex) const;

    // Over the recent window ending at nowUs (counts, not the gap between two frames, so that board
    // records stamped at their poll still give a rate): frames per second and the mean period, 0
    // when no frame came in the window. See RecentActivity for the windows' exact extent.
    double framesPerSecond(std::int64_t nowUs) const;
    double periodMs(std::int64_t nowUs) const;
    // The share of the identifier's frames of the last few seconds in which the byte changed.
    double byteChangeShare(int index, std::int64_t nowUs) const;

private:
    friend class ChangeTracker;
    static constexpr int kBytes = CanFrame::kMaxClassicLength;

    void start(std::uint32_t id, bool extended, std::uint32_t index);
    // Returns the bits that flipped.
    std::uint64_t observe(const CanFrame& frame);
    // changed: the bits of the bytes both frames have that differ; returns the changed bytes' mask.
    std::uint8_t noteByteChanges(std::uint64_t changed, std::uint64_t data, std::int64_t timeUs);
    void noteBitFlips(std::uint64_t changed, std::int64_t timeUs);

    // The fields every frame touches come first, so that a frame that changes nothing reads and
    // writes the first two cache lines only (the class starts on a line).
    std::uint32_t m_id = 0;
    std::uint32_t m_index = 0;
    bool m_extended = false;
    std::uint8_t m_length = 0;
    std::array<std::int8_t, kBytes> m_byteDirections {};
    std::uint64_t m_data = 0; // byte i in bits 8i to 8i+7; bytes past the length are zero
    std::uint64_t m_frames = 0;
    std::int64_t m_lastFrameUs = kNever;
    RecentActivity m_activity;
    std::int64_t m_firstFrameUs = kNever;
    std::array<std::int64_t, kBytes> m_byteChangedUs;
    std::array<std::int64_t, kBits> m_bitFlippedUs;
    std::array<std::uint32_t, kBits> m_bitFlips {};
};

} // namespace vexmoor
