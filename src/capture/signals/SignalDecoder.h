#pragma once

#include "capture/signals/SignalDefinition.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vexmoor {

// A signal's bits as its type reads them: unsigned, two's complement, or the IEEE value of a float or
// double. Each is kept exactly; 64-bit integers do not fit a double.
using RawValue = std::variant<std::uint64_t, std::int64_t, double>;

struct SignalValue {
    RawValue raw;
    double physical = 0.0; // raw * factor + offset

    bool operator==(const SignalValue&) const = default;
};

// Reads one signal out of a frame's data bytes. Everything that depends on the definition alone (which
// bytes, which shift, which mask) is worked out once here, so that a frame costs a load, a shift and a
// mask. The data may be of any length, CAN FD's 64 bytes included; nothing past its end is read.
class SignalDecoder final {
public:
    explicit SignalDecoder(const SignalDefinition& definition);

    // Empty when the data ends before the signal does, or when the definition cannot be read at all (a
    // length of 0 or past 64, a float that is not 32 bits, a double that is not 64).
    std::optional<SignalValue> decode(std::span<const std::uint8_t> data) const;

    // The bytes a frame needs for the signal to have a value.
    std::size_t bytesNeeded() const { return m_bytesNeeded; }

private:
    std::uint64_t bitsOf(std::span<const std::uint8_t> data) const;
    std::uint64_t bitsByteByByte(std::span<const std::uint8_t> data) const;
    SignalValue valueOf(std::uint64_t bits) const;

    double m_factor;
    double m_offset;
    std::uint64_t m_mask;
    // The bytes from m_firstByte on that hold the signal, 1 to 9.
    std::size_t m_firstByte;
    std::size_t m_byteCount;
    std::size_t m_bytesNeeded;
    // Of the 8 bytes from m_window on, read as one word in the signal's byte order: where the signal's
    // least significant bit lies. Used when the data reaches m_windowEnd (never, for 9 bytes).
    std::size_t m_window;
    std::size_t m_windowEnd;
    unsigned m_windowShift;
    // Of the m_byteCount bytes read one by one: the least significant bit's place in the byte where
    // reading starts (little endian) or ends (big endian).
    unsigned m_byteShift;
    unsigned m_length;
    ByteOrder m_byteOrder;
    SignalValueType m_valueType;
};

// The text a value description gives a raw value, if any. An integer matches a description of the
// same number, a float one of its exact value.
std::optional<std::string_view> valueDescriptionOf(const SignalDefinition& signal, const RawValue& raw);

// A physical value as every view and file of this program writes it: 15 significant digits, which a
// double always holds, so that 0.1 * 3 reads 0.3 rather than 0.30000000000000004.
std::string physicalText(double value);

// A raw value as a multiplexor's selector: a whole number from 0 up, or nothing.
std::optional<std::uint64_t> selectorOf(const RawValue& raw);

} // namespace vexmoor
