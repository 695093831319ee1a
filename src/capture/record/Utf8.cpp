#include "capture/record/Utf8.h"

namespace vexmoor::utf8 {

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// How many bytes a sequence with this first byte has and the bits the first byte carries; 0 for a byte
// that never starts one (C0 and C1 start only overlong forms, F5 and above only code points past U+10FFFF).
std::size_t sequenceLength(unsigned char first, char32_t& bits)
{
    if (first < 0x80) {
        bits = first;
        return 1;
    }
    if (first >= 0xC2 && first <= 0xDF) {
        bits = first & 0x1F;
        return 2;
    }
    if (first >= 0xE0 && first <= 0xEF) {
        bits = first & 0x0F;
        return 3;
    }
    if (first >= 0xF0 && first <= 0xF4) {
        bits = first & 0x07;
        return 4;
    }
    return 0;
}

// The smallest code point each length may carry: anything below has a shorter form.
constexpr char32_t kSmallest[] = { 0, 0, 0x80, 0x800, 0x10000 };

} // namespace

std::optional<char32_t> decode(std::string_view text, std::size_t& index)
{
    if (index >= text.size())
        return std::nullopt;
    char32_t codePoint = 0;
    const std::size_t length = sequenceLength(static_cast<unsigned char>(text[index]), codePoint);
    if (length == 0 || text.size() - index < length)
        return std::nullopt;
    for (std::size_t offset = 1; offset < length; ++offset) {
        const auto byte = static_cast<unsigned char>(text[index + offset]);
        if (!isContinuation(byte))
            return std::nullopt;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return std::nullopt;
    index += length;
    return codePoint;
}

bool isValid(std::string_view text)
{
    std::size_t index = 0;
    while (index < text.size()) {
        if (!decode(text, index))
            return false;
    }
    return true;
}

void appendCodePoint(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace vexmoor::utf8
