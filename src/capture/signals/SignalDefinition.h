#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmoor {

// How a signal's bits lie in the frame, with DBC's numbering of the start bit for each: little endian
// ("Intel", @1) starts at its least significant bit; big endian ("Motorola", @0) starts at its most
// significant bit, counted as bit 7 of byte 0 being bit 7, bit 0 of byte 1 being bit 8, and so on.
enum class ByteOrder { LittleEndian, BigEndian };

// What the raw bits are: an unsigned or two's complement integer, or an IEEE float (32 bits) or
// double (64 bits) where the file says so.
enum class SignalValueType { Unsigned, Signed, Float, Double };

// A multiplexor chooses which multiplexed signals a frame carries: a multiplexed signal has a value
// only in frames whose multiplexor's raw value is its own multiplexValue.
enum class MultiplexRole { None, Multiplexor, Multiplexed };

struct ValueDescription {
    std::int64_t raw = 0;
    std::string text;

    bool operator==(const ValueDescription&) const = default;
};

// One named field of a message, as a DBC SG_ line and the statements about it give it.
struct SignalDefinition {
    std::string name;
    std::uint16_t startBit = 0;
    std::uint8_t length = 1; // 1 to 64
    ByteOrder byteOrder = ByteOrder::LittleEndian;
    SignalValueType valueType = SignalValueType::Unsigned;
    double factor = 1.0;
    double offset = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string unit;
    MultiplexRole multiplexRole = MultiplexRole::None;
    std::uint64_t multiplexValue = 0; // of a multiplexed signal
    std::vector<ValueDescription> valueDescriptions;
    std::vector<std::string> receivers;
    std::string comment;

    bool operator==(const SignalDefinition&) const = default;
};

} // namespace vexmoor
