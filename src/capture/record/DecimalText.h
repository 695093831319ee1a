#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers travel through the table and the settings as decimal text. These helpers read and
// advance such text without ever going through a fixed-width integer, so that no cell value,
// however long, can overflow.
namespace vexmoor::decimal {

// What may stand around a number. Inside a record only the space does (a tab there is part of the
// field, so the record is not a number); a number that a person typed, or that is read for a
// comparison, may also have tabs around it.
inline constexpr std::string_view kSpaceOnly = " ";
inline constexpr std::string_view kSpaceOrTab = " \t";

// The text without the blanks at its start and end.
std::string_view trimmed(std::string_view text, std::string_view blanks);

// True when the text, after the spaces around it are removed, is one or more digits and nothing else.
bool isWholeNumber(std::string_view text);

// The value of the number the text begins with (blanks before it skipped, an optional sign and a
// fraction allowed), 0 when it begins with none. A number too large for a double is infinity.
double leadingNumber(std::string_view text);

// When the text is a whole number, replaces it by the decimal text of that number plus one and
// returns true; otherwise leaves it as it is and returns false.
bool incrementWholeNumber(std::string& text);

// Replaces the text by the decimal text of 1 plus the whole number it begins with (blanks before it
// skipped; 0 when it begins with no digit).
void incrementLeadingNumber(std::string& text);

// A text that must become a whole number for a setting (a port number, a timer interval): blanks
// around it allowed, an optional sign, digits with an optional fraction, nothing else. A fraction
// goes to the nearest whole number, a half to the even one.
struct WholeNumberSetting {
    enum class Status { Valid, NotANumber, OutOfRange };
    Status status = Status::NotANumber;
    std::int64_t value = 0;
};
WholeNumberSetting readWholeNumberSetting(std::string_view text, std::int64_t minimum, std::int64_t maximum);

} // namespace vexmoor::decimal
