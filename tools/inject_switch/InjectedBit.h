#pragma once

#include <cstdint>

namespace vexmoor::inject {

// Where the switch was planted: the answer the ranking should find.
struct InjectedBit {
    std::uint32_t id = 0;
    bool extended = false;
    int byte = 0;
    int bit = 0; // 0 is the value 1, 7 the value 128
};

} // namespace vexmoor::inject
