#pragma once

#include <cstdint>

namespace vexmoor {

// Now on the frames' clock, in microseconds since the epoch: what the time stamps of frames and the
// ages shown beside them are measured on. The platform gives the wall clock; a capture that replays
// a log gives the log's own time, and tests give one that stands where they put it.
class FramesClock {
public:
    virtual ~FramesClock() = default;
    virtual std::int64_t nowUs() const = 0;
};

} // namespace vexmoor
