#pragma once

#include <array>
#include <cstdint>

namespace vexmoor {

// One CAN frame as every source and log format hands it on: what the bus carried and when.
struct CanFrame {
    static constexpr std::uint32_t kMaxStandardId = 0x7FF;
    static constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
    static constexpr std::uint8_t kMaxLength = 8;

    std::uint32_t id = 0;
    bool extended = false;
    bool remote = false; // a remote frame carries no data
    std::uint8_t length = 0; // 0 to 8 data bytes; of a remote frame, the length it asks for where the source says
    std::array<std::uint8_t, 8> data {};
    std::int64_t timestampUs = 0; // microseconds since the Unix epoch: the source's clock, else the arrival time

    bool operator==(const CanFrame&) const = default;
};

} // namespace vexmoor
