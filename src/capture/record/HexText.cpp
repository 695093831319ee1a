#include "capture/record/HexText.h"

#include <array>

namespace vexmoor::hex {

namespace {

constexpr std::array<std::int8_t, 256> kDigitValues = [] {
    std::array<std::int8_t, 256> values {};
    values.fill(-1);
    for (int digit = 0; digit < 10; ++digit)
        values['0' + digit] = static_cast<std::int8_t>(digit);
    for (int digit = 0; digit < 6; ++digit) {
        values['A' + digit] = static_cast<std::int8_t>(10 + digit);
        values['a' + digit] = static_cast<std::int8_t>(10 + digit);
    }
    return values;
}();

constexpr char kUpperDigits[] = "0123456789ABCDEF";

} // namespace

int digitValue(char c)
{
    return kDigitValues[static_cast<unsigned char>(c)];
}

bool readNumber(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 8)
        return false;
    std::uint32_t result = 0;
    for (const char c : text) {
        const int digit = digitValue(c);
        if (digit < 0)
            return false;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = result;
    return true;
}

bool readBytes(std::string_view text, std::uint8_t* bytes, std::size_t maxCount, std::size_t& count)
{
    if (text.size() % 2 != 0 || text.size() / 2 > maxCount)
        return false;
    for (std::size_t index = 0; index < text.size(); index += 2) {
        const int high = digitValue(text[index]);
        const int low = digitValue(text[index + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[index / 2] = static_cast<std::uint8_t>((high << 4) | low);
    }
    count = text.size() / 2;
    return true;
}

void appendNumber(std::uint32_t value, int minDigits, std::string& out)
{
    char buffer[8];
    int digits = 0;
    do {
        buffer[7 - digits] = kUpperDigits[value & 0xF];
        value >>= 4;
        ++digits;
    } while (value != 0);
    for (int padding = digits; padding < minDigits; ++padding)
        out.push_back('0');
    out.append(buffer + 8 - digits, buffer + 8);
}

void appendByte(std::uint8_t value, std::string& out)
{
    out.push_back(kUpperDigits[value >> 4]);
    out.push_back(kUpperDigits[value & 0xF]);
}

} // namespace vexmoor::hex
