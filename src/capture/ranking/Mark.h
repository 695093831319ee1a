#pragma once

#include <cstdint>
#include <string>

namespace vexmoor {

// A moment the user marked, on the frames' clock (microseconds since the epoch): when they pressed
// the switch they are looking for. The note is theirs ("head lights on").
struct Mark {
    std::int64_t timeUs = 0;
    std::string note;

    bool operator==(const Mark&) const = default;
};

} // namespace vexmoor
