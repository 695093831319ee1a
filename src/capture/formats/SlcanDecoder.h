#pragma once

#include "capture/formats/LineCarry.h"
#include "capture/record/CanFrame.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexmoor {

// Turns the bytes an slcan (LAWICEL) adapter sends into frames and answers, in whatever pieces the
// port delivers them: a message may be cut anywhere between two feeds, and what comes out never
// depends on where. Complete messages are read where they lie in the chunk; only a message cut by
// the end of a chunk is copied.
//
// A message ends with CR. The adapter answers a command with an empty message (accepted) or a BEL
// in place of the CR (refused). Frames are "tiiiL<data>", "TiiiiiiiiL<data>", "riiiL" and
// "RiiiiiiiiL", each optionally followed by 4 hex digits of the adapter's millisecond clock.
class SlcanDecoder final {
public:
    // No well-formed message comes near this ("T" + 8 + 1 + 16 + 4 characters); a longer one is
    // malformed whether it arrives whole or in pieces, and what is carried never grows past it.
    static constexpr std::size_t kMaxMessageLength = 64;
    // Answers nobody takes are dropped oldest first, so that a capture that never asks for them
    // holds no more than this.
    static constexpr std::size_t kMaxPendingAnswers = 16;
    // The adapter's clock counts milliseconds from 0 to 59999 and starts again.
    static constexpr std::int64_t kTimestampWrapMs = 60'000;

    using FrameHandler = std::function<void(const CanFrame&)>;
    enum class Answer { Ok, Refused };

    // arrivalUs: when the bytes arrived, in microseconds since the Unix epoch. It is the time of a
    // frame without an adapter time stamp, and the anchor of the adapter's clock.
    void feed(std::string_view bytes, std::int64_t arrivalUs, const FrameHandler& handler);

    // The oldest answer not yet taken, if any.
    std::optional<Answer> takeAnswer();

    std::uint64_t frames() const { return m_frames; } // handed on
    std::uint64_t malformedMessages() const { return m_malformedMessages; }
    std::uint64_t acknowledgements() const { return m_acknowledgements; } // empty messages
    std::uint64_t refusals() const { return m_refusals; } // lone BELs
    // Bytes held for a message that the end of the last chunk cut; never more than kMaxMessageLength.
    std::size_t carriedBytes() const { return m_carried.size(); }

private:
    void readMessage(std::string_view message, char terminator, std::int64_t arrivalUs, const FrameHandler& handler);
    bool readFrame(std::string_view message, std::int64_t arrivalUs, CanFrame& frame);
    std::int64_t unwrap(std::uint32_t timestampMs, std::int64_t arrivalUs);
    void carry(std::string_view part);
    void answer(Answer answer);

    LineCarry m_carried { kMaxMessageLength }; // the start of a message cut by the end of the last chunk

    bool m_haveTimestamp = false;
    std::uint32_t m_lastTimestampMs = 0; // the adapter's clock at the last stamped frame
    std::int64_t m_lastUnwrappedUs = 0; // that frame's time on the arrival clock
    std::int64_t m_lastArrivalUs = 0; // when that frame arrived

    std::deque<Answer> m_answers;

    std::uint64_t m_frames = 0;
    std::uint64_t m_malformedMessages = 0;
    std::uint64_t m_acknowledgements = 0;
    std::uint64_t m_refusals = 0;
};

} // namespace vexmoor
