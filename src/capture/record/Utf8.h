#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexmoor::utf8 {

// The code point that starts at index, moving index past it; nothing for a byte that starts no well-formed
// sequence (a stray continuation byte, a cut sequence, an overlong form, a surrogate or a code point
// beyond U+10FFFF), with index left where it was.
std::optional<char32_t> decode(std::string_view text, std::size_t& index);

bool isValid(std::string_view text);

void appendCodePoint(char32_t codePoint, std::string& out);

} // namespace vexmoor::utf8
