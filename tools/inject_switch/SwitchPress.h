#pragma once

#include <cstdint>
#include <optional>

namespace vexmoor::inject {

// One press of the switch, on the capture's clock.
struct SwitchPress {
    std::int64_t pressUs = 0; // the finger on the switch
    std::int64_t changeUs = 0; // the bit flips on the bus, for frames from then on
    std::optional<std::int64_t> releaseUs; // a held switch's bit flips back
    std::int64_t markUs = 0; // the user presses "Mark"
};

} // namespace vexmoor::inject
