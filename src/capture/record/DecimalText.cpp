#include "capture/record/DecimalText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vexmoor::decimal {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return kSpaceOrTab.find(c) != std::string_view::npos;
}

// Cuts the text down to the part of it that the view shows.
void keepOnly(std::string& text, std::string_view part)
{
    const auto offset = static_cast<std::size_t>(part.data() - text.data());
    text.erase(offset + part.size());
    text.erase(0, offset);
}

// Adds one to a run of decimal digits in place; leading zeros are dropped and an empty run counts as 0.
void incrementDigits(std::string& digits)
{
    const auto firstSignificant = digits.find_first_not_of('0');
    digits.erase(0, firstSignificant == std::string::npos ? digits.size() : firstSignificant);
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::string_view trimmed(std::string_view text, std::string_view blanks)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool isWholeNumber(std::string_view text)
{
    const auto number = trimmed(text, kSpaceOnly);
    if (number.empty())
        return false;
    for (const char c : number) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

double leadingNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    const std::size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const std::size_t digitsStart = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    bool hasDigits = pos > digitsStart;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fractionStart = ++pos;
        while (pos < text.size() && isDigit(text[pos]))
            ++pos;
        hasDigits = hasDigits || pos > fractionStart;
    }
    if (!hasDigits)
        return 0.0;

    // Counts are short runs of digits; those need no general conversion.
    if (start == digitsStart && pos - start <= 15 && (pos == text.size() || !isDigit(text[pos]))
        && text.substr(start, pos - start).find('.') == std::string_view::npos) {
        double whole = 0;
        for (std::size_t index = start; index < pos; ++index)
            whole = whole * 10 + (text[index] - '0');
        return whole;
    }

    // from_chars accepts no leading "+", so the sign is applied here.
    const bool negative = text[start] == '-';
    const std::size_t numberStart = (text[start] == '+' || negative) ? start + 1 : start;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + numberStart, text.data() + pos, value);
    if (result.ec == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

bool incrementWholeNumber(std::string& text)
{
    if (!isWholeNumber(text))
        return false;
    keepOnly(text, trimmed(text, kSpaceOnly));
    incrementDigits(text);
    return true;
}

void incrementLeadingNumber(std::string& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    keepOnly(text, std::string_view(text).substr(start, pos - start));
    incrementDigits(text);
}

WholeNumberSetting readWholeNumberSetting(std::string_view text, std::int64_t minimum, std::int64_t maximum)
{
    const auto number = trimmed(text, kSpaceOrTab);
    if (number.empty())
        return {};
    std::size_t pos = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    std::size_t digits = 0;
    for (; pos < number.size() && isDigit(number[pos]); ++pos)
        ++digits;
    if (pos < number.size() && number[pos] == '.') {
        for (++pos; pos < number.size() && isDigit(number[pos]); ++pos)
            ++digits;
    }
    if (digits == 0 || pos != number.size())
        return {};

    const double value = leadingNumber(number);
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(minimum) && rounded <= static_cast<double>(maximum)))
        return { WholeNumberSetting::Status::OutOfRange, 0 };
    return { WholeNumberSetting::Status::Valid, static_cast<std::int64_t>(rounded) };
}

} // namespace vexmoor::decimal
