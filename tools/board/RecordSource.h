#pragma once

#include <string>

namespace vexmoor::board {

// Where the bytes the board writes after its start-up line come from.
class RecordSource {
public:
    virtual ~RecordSource() = default;

    // Appends about `wanted` further bytes of the stream to `out` (a source that works in whole
    // records may append a little more). Returns false once the stream has ended. It may append
    // nothing and still return true when a signal interrupted it, so that the caller gets to look
    // at its stop request before asking again.
    virtual bool fill(std::string& out, std::size_t wanted) = 0;
};

} // namespace vexmoor::board
