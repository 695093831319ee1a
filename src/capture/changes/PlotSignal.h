#pragma once

#include "capture/record/CanFrame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vexmoor {

// A value to follow over time in one identifier's frames: one bit, or one to eight bytes read as an
// unsigned integer, most significant byte first (big-endian, as the bytes are shown) or last.
struct PlotSignal {
    enum class Order { BigEndian, LittleEndian };

    std::uint32_t id = 0;
    bool extended = false;
    std::uint8_t firstByte = 0; // 0-based position in the data
    std::uint8_t byteCount = 1; // 1 to 8; ignored for a bit
    Order order = Order::BigEndian;
    std::optional<std::uint8_t> bit; // 0 (value 1) to 7 of firstByte; empty: the bytes

    static PlotSignal ofBit(std::uint32_t id, bool extended, int byte, int bit);
    static PlotSignal ofBytes(std::uint32_t id, bool extended, int firstByte, int byteCount = 1,
                              Order order = Order::BigEndian);

    // False when a byte or bit lies outside a CAN frame's eight bytes, or no byte is chosen.
    bool valid() const;
    bool matches(const CanFrame& frame) const { return frame.id == id && frame.extended == extended; }
    // The value in a frame of the identifier; empty when the frame is too short to hold it (a remote
    // frame holds nothing).
    std::optional<std::uint64_t> valueIn(const CanFrame& frame) const;
    // As a person reads it: "3E9 byte 2 bit 5", "3E9 bytes 2-3 (big-endian)", "3E9 byte 4".
    std::string label() const;

    bool operator==(const PlotSignal&) const = default;
};

} // namespace vexmoor
