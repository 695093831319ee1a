#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A record is one CAN frame as the companion board prints it: "<", the decimal identifier, ",",
// each data byte in decimal followed by ",", and ">". These are pure functions of the record text.
namespace vexmoor::record {

struct Identifier {
    static constexpr std::uint32_t kMaxStandardId = 0x7FF;
    static constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;

    std::string hexId; // the row key: see formatHexId
    std::uint32_t decimalId = 0;
    bool extended = false; // a 29-bit identifier

    bool operator==(const Identifier&) const = default;
};

// False when the text, with its spaces and line feeds removed, holds "<0>", "<,", "<<" or ">>"
// anywhere. Nothing else is tested.
bool passesShapeTest(std::string_view recordText);

// The identifier of a record: the text between the "<" and the first comma. When that comma is the
// 3rd to 6th character, the text between is a decimal number (spaces around it allowed) of a standard
// frame, whatever its value. A longer text is the identifier of an extended (29-bit) frame, which the
// board writes in decimal, when it is 5 to 9 digits (spaces around them allowed) of a value up to
// 0x1FFFFFFF. Anything else is no identifier.
std::optional<Identifier> takeIdentifier(std::string_view recordText);

// Makes the identifier one of an extended frame: only a source that knows the frame's format can
// tell, since the board writes a small extended identifier in as few digits as a standard one.
void markExtended(Identifier& identifier);

// Writes the row key of an identifier into hexId: upper-case hexadecimal without leading zeros, but
// an extended identifier of 0x7FF or less with 8 digits, as candump writes it (000007DF), so that it
// never shares a row with the standard frame of that number.
void formatHexId(std::uint32_t value, bool extended, std::string& hexId);

// Each field that is a decimal number from 0 to 255 as the character of that code, in field order,
// the identifier field included. Codes 128 to 255 stand for Windows-1252 characters.
void assignAsciiText(std::string_view recordText, std::string& asciiText);
std::string asciiText(std::string_view recordText);

} // namespace vexmoor::record
