#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Hexadecimal text as the log formats write identifiers and data bytes. The readers run once per
// field of every line of a long log, so they take no allocation and report failure by return value.
namespace vexmoor::hex {

// The value of a text of 1 to 8 hexadecimal digits (either case) and nothing else.
bool readNumber(std::string_view text, std::uint32_t& value);

// Reads a text of pairs of hexadecimal digits into bytes. False when a character is no hexadecimal
// digit, the number of digits is odd, or there are more than maxCount pairs.
bool readBytes(std::string_view text, std::uint8_t* bytes, std::size_t maxCount, std::size_t& count);

// The value of one hexadecimal digit, or -1.
int digitValue(char c);

// Appends the value in upper-case hexadecimal with at least minDigits digits (zeros in front).
void appendNumber(std::uint32_t value, int minDigits, std::string& out);

// Appends the byte as two upper-case hexadecimal digits.
void appendByte(std::uint8_t value, std::string& out);

} // namespace vexmoor::hex
