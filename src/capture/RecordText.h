#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A record is one CAN frame as the companion board prints it: "<", the decimal identifier, ",",
// each data byte in decimal followed by ",", and ">". These are pure functions of the record text.
namespace vexmoor::record {

struct Identifier {
    std::string hexId; // upper-case hexadecimal without prefix or leading zeros: the row key
    std::int16_t decimalId = 0;

    bool operator==(const Identifier&) const = default;
};

// False when the text, with its spaces and line feeds removed, holds "<0>", "<,", "<<" or ">>"
// anywhere. Nothing else is tested.
bool passesShapeTest(std::string_view recordText);

// The identifier of a record: the text between the "<" and the first comma, when that comma is the
// 3rd to 6th character and the text between is a decimal number (spaces around it allowed).
std::optional<Identifier> takeIdentifier(std::string_view recordText);

// Writes the identifier of the given value into hexId (upper-case, no leading zeros).
void formatHexId(unsigned value, std::string& hexId);

// Each field that is a decimal number from 0 to 255 as the character of that code, in field order,
// the identifier field included. Codes 128 to 255 stand for Windows-1252 characters.
void assignAsciiText(std::string_view recordText, std::string& asciiText);
std::string asciiText(std::string_view recordText);

} // namespace vexmoor::record
