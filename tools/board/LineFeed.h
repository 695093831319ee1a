#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexmoor::board {

// What a session puts onto the line, piece by piece: the board's text stream, or an adapter's
// answers and frames. The session paces the pieces and writes them; the feed decides what they are.
class LineFeed {
public:
    using Clock = std::chrono::steady_clock;

    enum class Next {
        Bytes, // the next piece is in `out`; it may be empty when a signal interrupted the source
        Idle, // nothing to write until the other end sends something
        Ended, // the stream is over
    };

    virtual ~LineFeed() = default;

    // Whether the feed takes what the other end of the line sends; the session reads the line only then.
    virtual bool listens() const = 0;
    virtual void receive(std::string_view bytes) = 0;

    // Appends the next piece, about `wanted` bytes or less, to the empty `out`; `now` is when its
    // first byte goes out.
    virtual Next next(std::string& out, std::size_t wanted, Clock::time_point now) = 0;

    // Told of every part of a piece as it goes onto the line, in order.
    virtual void written(std::string_view bytes) = 0;
    // Records that went onto the line whole.
    virtual std::uint64_t records() const = 0;
};

} // namespace vexmoor::board
