#pragma once

#include <optional>
#include <string>
#include <string_view>

// Table cells hold the bytes of the Windows-1252 code page, as the record's ASCII text produces
// them; whatever shows or writes a cell converts it here.
namespace vexmoor::windows1252 {

// The Unicode code point of one Windows-1252 byte. The five bytes that the code page leaves
// undefined (81, 8D, 8F, 90, 9D) map to the C1 control of the same value, as Windows does.
char32_t toCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or nothing when the code page has no such character.
std::optional<char> fromCodePoint(char32_t codePoint);

void appendAsUtf8(std::string_view windows1252Text, std::string& utf8);
std::string toUtf8(std::string_view windows1252Text);

// The Windows-1252 bytes of UTF-8 text; nothing when the text is not well-formed UTF-8 or holds a
// character that the code page lacks.
std::optional<std::string> fromUtf8(std::string_view utf8Text);

} // namespace vexmoor::windows1252
