#pragma once

#include "capture/record/CanFrame.h"
#include "capture/signals/MessageDecoder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vexmoor {

// A value to follow over time in one identifier's frames: one bit, or one to eight bytes read as an
// unsigned integer, most significant byte first (big-endian, as the bytes are shown) or last; or a
// signal of a database, read as its definition says, in physical units.
struct PlotSignal {
    enum class Order { BigEndian, LittleEndian };

    // The definition is copied: an edit of the database later leaves the plot as it was asked for.
    struct Decoded {
        MessageDecoder message; // the signal's message, whose multiplexor decides when it has a value
        std::size_t signalIndex = 0;

        const SignalDefinition& definition() const;
        // "DOORS.TEMP (degC)": the message and the signal as the database names them, with the unit
        // where it has one.
        std::string title() const;
    };

    std::uint32_t id = 0;
    bool extended = false;
    // While rows are kept per bus: the bus's number (see BusNames) and name, which the label leads with.
    std::uint8_t bus = 0;
    std::string busName;
    std::uint8_t firstByte = 0; // 0-based position in the data
    std::uint8_t byteCount = 1; // 1 to 8; ignored for a bit
    Order order = Order::BigEndian;
    std::optional<std::uint8_t> bit; // 0 (value 1) to 7 of firstByte; empty: the bytes
    std::shared_ptr<const Decoded> decoded; // set: a database's signal, and the bytes are not used

    static PlotSignal ofBit(std::uint32_t id, bool extended, int byte, int bit);
    static PlotSignal ofBytes(std::uint32_t id, bool extended, int firstByte, int byteCount = 1,
                              Order order = Order::BigEndian);
    // Empty when the message has no signal at that index.
    static std::optional<PlotSignal> ofDecoded(const MessageDefinition& message, std::size_t signalIndex);

    // False when a byte or bit lies outside a CAN frame's eight bytes, or no byte is chosen.
    bool valid() const;
    bool matches(const CanFrame& frame) const
    {
        return frame.id == id && frame.extended == extended && frame.bus == bus;
    }
    // The same value on a bus: the bus's number and name set.
    PlotSignal onBus(std::uint8_t number, std::string name) const;
    // The value in a frame of the identifier; empty when the frame is too short to hold it (a remote
    // frame holds nothing).
    // The bytes or the bit as an integer; nothing for a database's signal.
    std::optional<std::uint64_t> valueIn(const CanFrame& frame) const;
    // What the plot draws: the integer, or the signal's physical value.
    std::optional<double> plotValueIn(const CanFrame& frame) const;
    // As a person reads it: "3E9 byte 2 bit 5", "3E9 bytes 2-3 (big-endian)", "3E9 byte 4", and for a
    // database's signal "2A8 DOORS.TEMP (degC)" (no unit, no brackets).
    std::string label() const;

    // The same value: for a database's signal, the same message and the same definition.
    bool operator==(const PlotSignal& other) const;
};

} // namespace vexmoor
