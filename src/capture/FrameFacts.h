#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexmoor {

// What a source that knows a frame tells ingestion beyond the record text: the board's text stream
// says none of it, a log or a CAN interface says all of it.
struct FrameFacts {
    bool extended = false;
    // Microseconds since the Unix epoch on the source's clock; none where the source keeps no clock.
    std::optional<std::int64_t> timestampUs;
    // The interface the frame came from, as the source names it ("can0"); empty for the board.
    std::string_view interfaceName;
};

} // namespace vexmoor
