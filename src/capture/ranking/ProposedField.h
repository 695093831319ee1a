#pragma once

#include "capture/signals/SignalDefinition.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// What a field of a message seems to be, from its frames alone.
enum class FieldKind {
    Constant, // never changed
    Counter, // goes up (or down) by a fixed step, wrapping at its range
    Checksum, // follows the other bytes by a known form
    Flag, // one bit
    Enum, // a few bits taking few values
    Value, // a number moving by small steps
};

// One field proposed for a message: where its bits lie, in DBC terms, and what it seems to be.
struct ProposedField {
    std::uint16_t startBit = 0; // DBC numbering: the least significant bit (little endian), else the most
    std::uint16_t length = 1;
    ByteOrder byteOrder = ByteOrder::LittleEndian;
    bool isSigned = false;
    FieldKind kind = FieldKind::Constant;
    std::string detail; // "step 1", "XOR of nibbles", "too few frames": free text

    // The field's bits as positions byte * 8 + bit (bit 0 the byte's least significant), the most
    // significant first.
    std::vector<std::uint16_t> positions() const;
    // Where the field begins as a person reads the frame, byte by byte and each byte from bit 7: its
    // first byte * 8 + (7 - its highest bit there). Fields are listed in this order.
    std::uint16_t readingPlace() const;
    // "counter, 4 bits, step 1"; "checksum: XOR of nibbles".
    std::string description() const;
    // COUNTER_1A0_60: the kind, the identifier as the table writes it, the start bit.
    std::string signalName(std::string_view identifierText) const;
    // A signal definition of the field, named by signalName, raw values as they are.
    SignalDefinition toSignal(std::string_view identifierText) const;

    bool operator==(const ProposedField&) const = default;
};

// "constant", "counter", "checksum", "flag", "enum", "value".
std::string_view fieldKindName(FieldKind kind);

} // namespace vexmoor
