#pragma once

#include "capture/record/CanFrame.h"

#include <string_view>

namespace vexmoor {

// What a source that knows a frame tells ingestion beyond the record text: whether the identifier
// is extended, and the frame's time stamp. The board's text stream knows neither.
struct FrameFacts {
    const CanFrame& frame;
    // The interface the frame came from, as the source names it ("can0").
    std::string_view interfaceName;
};

} // namespace vexmoor
