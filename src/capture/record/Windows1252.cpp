#include "capture/record/Windows1252.h"

#include "capture/record/Utf8.h"

#include <array>

namespace vexmoor::windows1252 {

namespace {

// Bytes 80 to 9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char32_t toCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControlRange[byte - 0x80];
    return byte;
}

std::optional<char> fromCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t index = 0; index < kHighControlRange.size(); ++index) {
        if (kHighControlRange[index] == codePoint)
            return static_cast<char>(0x80 + index);
    }
    return std::nullopt;
}

void appendAsUtf8(std::string_view windows1252Text, std::string& utf8)
{
    for (const char c : windows1252Text)
        utf8::appendCodePoint(toCodePoint(static_cast<unsigned char>(c)), utf8);
}

std::string toUtf8(std::string_view windows1252Text)
{
    std::string utf8;
    utf8.reserve(windows1252Text.size());
    appendAsUtf8(windows1252Text, utf8);
    return utf8;
}

std::optional<std::string> fromUtf8(std::string_view utf8Text)
{
    std::string text;
    text.reserve(utf8Text.size());
    std::size_t index = 0;
    while (index < utf8Text.size()) {
        const auto codePoint = utf8::decode(utf8Text, index);
        const auto byte = codePoint ? fromCodePoint(*codePoint) : std::nullopt;
        if (!byte)
            return std::nullopt;
        text.push_back(*byte);
    }
    return text;
}

} // namespace vexmoor::windows1252
