#pragma once

#include "capture/CanFrame.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vexmoor {

// What one identifier's frames did, byte by byte and bit by bit, on the frames' own clock. Its size
// is fixed: nothing in it grows with the traffic.
class IdentifierChanges {
public:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
    static constexpr int kBits = CanFrame::kMaxLength * 8;

    std::uint32_t id() const;
    bool extended() const;
    // The latest frame's data; a remote frame has none.
    std::uint8_t length() const;
    std::uint8_t byte(int index) const;
    bool bit(int bitIndex) const; // bitIndex = byte * 8 + bit, bit 0 the least significant
    std::uint64_t frames() const;
    std::int64_t lastFrameUs() const;

    // The time of the byte's last change and its direction then (+1 up, -1 down; 0 never changed).
    std::int64_t byteChangedUs(int index) const;
    int byteDirection(int index) const;
    // The time of the bit's last flip (kNever: never) and how often it flipped: against the frame of
    // the identifier just before, a byte one of the two frames does not have being no flip.
    std::int64_t bitFlippedUs(int bitIndex) const;
    std::uint32_t bitFlips(int bitIndex) const;

    // Over the recent window ending at nowUs (counts, not the gap between two frames, so that board
    // records stamped at their poll still give a rate): frames per second and the mean period, 0
    // when no frame came in the window.
    double framesPerSecond(std::int64_t nowUs) const;
    double periodMs(std::int64_t nowUs) const;
    // The share of the identifier's frames of the last few seconds in which the byte changed.
    double byteChangeShare(int index, std::int64_t nowUs) const;

private:
    friend class ChangeTracker;
    struct State;
    std::unique_ptr<State> m_state;
};

// Follows every frame with an identifier, from any source: for each identifier, when each byte last
// changed and which way, when each bit last flipped and how often, and how fast the frames come.
// Plain C++ on the frames' time stamps, so that a replay and a live drive give the same answers.
class ChangeTracker final {
public:
    // Frames per second and the period come from this window; the busy share from the longer one.
    static constexpr std::int64_t kRateWindowUs = 2'000'000;
    static constexpr std::int64_t kBusyWindowUs = 5'000'000;

    ChangeTracker();
    ~ChangeTracker();
    ChangeTracker(const ChangeTracker&) = delete;
    ChangeTracker& operator=(const ChangeTracker&) = delete;

    void observe(const CanFrame& frame);
    void clear();

    // The identifiers in the order their first frame came.
    std::size_t size() const;
    const IdentifierChanges& at(std::size_t index) const;
    const IdentifierChanges* find(std::uint32_t id, bool extended) const;

private:
    std::vector<IdentifierChanges> m_identifiers;
    std::unordered_map<std::uint32_t, std::size_t> m_index; // id with the extended flag in bit 31
};

} // namespace vexmoor
