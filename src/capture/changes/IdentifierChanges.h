#pragma once

#include "capture/changes/RecentActivity.h"
#include "capture/record/CanFrame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace vexmoor {

// What one identifier's frames did, byte by byte and bit by bit, on the frames' own clock. Its size
// is fixed: nothing in it grows with the traffic. A classic identifier's 8 bytes live here; once a
// CAN FD frame brings more, bytes 8 to 63 get seven slices of 8 bytes like this one, made then, so
// that a classic identifier costs nothing more for them: 1,088 bytes, an FD one eight times that
// (2,048 FD identifiers take 17 MB). An index outside the 64 bytes or 512 bits throws
// std::out_of_range; one past what the frames brought reads as nothing.
class alignas(64) IdentifierChanges {
public:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
    static constexpr int kBytes = CanFrame::kMaxFdLength;
    static constexpr int kBits = kBytes * 8;
    // Flipped bits are handed on in words of 64: word w holds bits 64w to 64w + 63.
    static constexpr int kWords = kBits / 64;

    IdentifierChanges();
    ~IdentifierChanges();
    IdentifierChanges(IdentifierChanges&&) noexcept;
    IdentifierChanges& operator=(IdentifierChanges&&) noexcept;

    std::uint32_t id() const;
    bool extended() const;
    // The bus's number while rows are kept per bus, else 0.
    std::uint8_t bus() const { return m_bus; }
    // The latest frame's data; a remote frame has none.
    std::uint8_t length() const;
    // Whether a frame past 8 bytes came: the bytes beyond them are followed from then on.
    bool hasLongData() const { return m_slices != nullptr; }
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
    static constexpr int kSliceBytes = CanFrame::kMaxClassicLength;
    static constexpr int kSliceBits = kSliceBytes * 8;
    static constexpr int kSlices = kBytes / kSliceBytes - 1; // the slices past the first 8 bytes
    using Slices = std::array<IdentifierChanges, kSlices>;

    void start(const CanFrame& frame, std::uint32_t index);
    // Returns the bits of the first 8 bytes that flipped; flips past them go to onLongFlips(word, bits).
    template <typename OnLongFlips> std::uint64_t observe(const CanFrame& frame, OnLongFlips&& onLongFlips);
    // Bytes 8 to 63 of the frame, into the slices, made at the first frame that has them.
    template <typename OnLongFlips> void observeLongData(const CanFrame& frame, OnLongFlips&& onLongFlips);
    // One slice of up to 8 bytes; returns the bits that flipped.
    std::uint64_t observeSlice(const std::uint8_t* bytes, std::uint8_t length, std::int64_t timeUs);
    // changed: the bits of the bytes both frames have that differ; returns the changed bytes' mask.
    std::uint8_t noteByteChanges(std::uint64_t changed, std::uint64_t data, std::int64_t timeUs);
    void noteBitFlips(std::uint64_t changed, std::int64_t timeUs);
    // The slice that holds the byte, and the byte's index in it; nullptr past what came.
    const IdentifierChanges* sliceOf(int& index) const;

    // The fields every frame touches come first, so that a frame that changes nothing reads and
    // writes the first two cache lines only (the class starts on a line).
    std::uint32_t m_id = 0;
    std::uint32_t m_index = 0;
    bool m_extended = false;
    std::uint8_t m_bus = 0;
    std::uint8_t m_length = 0; // the whole frame's; a slice's own bytes are at most 8 of it
    std::array<std::int8_t, kSliceBytes> m_byteDirections {};
    std::uint64_t m_data = 0; // byte i in bits 8i to 8i+7; bytes past the length are zero
    std::unique_ptr<Slices> m_slices;
    std::uint64_t m_frames = 0;
    std::int64_t m_lastFrameUs = kNever;
    RecentActivity m_activity;
    std::int64_t m_firstFrameUs = kNever;
    std::array<std::int64_t, kSliceBytes> m_byteChangedUs;
    std::array<std::int64_t, kSliceBits> m_bitFlippedUs;
    std::array<std::uint32_t, kSliceBits> m_bitFlips {};
};

template <typename OnLongFlips>
std::uint64_t IdentifierChanges::observe(const CanFrame& frame, OnLongFlips&& onLongFlips)
{
    const auto length = static_cast<std::uint8_t>(frame.dataLength());
    const std::uint64_t flipped
        = observeSlice(frame.data.data(), std::min<std::uint8_t>(length, kSliceBytes), frame.timestampUs);
    if (length > kSliceBytes || m_slices != nullptr)
        observeLongData(frame, onLongFlips);
    m_length = length;
    return flipped;
}

template <typename OnLongFlips>
void IdentifierChanges::observeLongData(const CanFrame& frame, OnLongFlips&& onLongFlips)
{
    if (m_slices == nullptr)
        m_slices = std::make_unique<Slices>();
    const std::size_t length = frame.dataLength();
    std::uint64_t word[kWords] {};
    for (int slice = 0; slice < kSlices; ++slice) {
        const std::size_t first = static_cast<std::size_t>(slice + 1) * kSliceBytes;
        const auto sliceLength
            = static_cast<std::uint8_t>(length > first ? std::min<std::size_t>(length - first, kSliceBytes) : 0);
        word[slice + 1] = (*m_slices)[static_cast<std::size_t>(slice)].observeSlice(frame.data.data() + first,
                                                                                    sliceLength, frame.timestampUs);
    }
    for (int index = 1; index < kWords; ++index) {
        if (word[index] != 0)
            onLongFlips(index, word[index]);
    }
}

} // namespace vexmoor
