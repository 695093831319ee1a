#include "capture/record/RecordText.h"

#include "capture/record/DecimalText.h"

namespace vexmoor::record {

bool passesShapeTest(std::string_view recordText)
{
    // Looks at the text as if spaces and line feeds were removed, without building that text.
    char beforePrevious = '\0';
    char previous = '\0';
    for (const char c : recordText) {
        if (c == ' ' || c == '\n')
            continue;
        if (previous == '<' && (c == ',' || c == '<'))
            return false;
        if (previous == '>' && c == '>')
            return false;
        if (beforePrevious == '<' && previous == '0' && c == '>')
            return false;
        beforePrevious = previous;
        previous = c;
    }
    return true;
}

namespace {

constexpr std::size_t kMaxStandardIdText = 4;
constexpr std::size_t kMinExtendedDigits = 5;
constexpr std::size_t kMaxExtendedDigits = 9;

// The value of a run of decimal digits with spaces around it; only called on text that is one.
std::uint32_t digitsValue(std::string_view digits)
{
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (c != ' ')
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

} // namespace

std::optional<Identifier> takeIdentifier(std::string_view recordText)
{
    const auto comma = recordText.find(',', 1);
    if (comma == std::string_view::npos || comma < 2)
        return std::nullopt;
    const auto idText = recordText.substr(1, comma - 1);
    if (!decimal::isWholeNumber(idText))
        return std::nullopt;

    Identifier identifier;
    if (idText.size() <= kMaxStandardIdText) {
        identifier.decimalId = digitsValue(idText); // at most four digits: 9999
    } else {
        const auto digits = decimal::trimmed(idText, decimal::kSpaceOnly);
        if (digits.size() < kMinExtendedDigits || digits.size() > kMaxExtendedDigits)
            return std::nullopt;
        identifier.decimalId = digitsValue(digits); // nine digits fit 32 bits
        if (identifier.decimalId > Identifier::kMaxExtendedId)
            return std::nullopt;
        identifier.extended = true;
    }
    formatHexId(identifier.decimalId, identifier.extended, identifier.hexId);
    return identifier;
}

void markExtended(Identifier& identifier)
{
    if (identifier.extended)
        return;
    identifier.extended = true;
    formatHexId(identifier.decimalId, true, identifier.hexId);
}

void formatHexId(std::uint32_t value, bool extended, std::string& hexId)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    constexpr int kCandumpExtendedDigits = 8;
    const bool padded = extended && value <= Identifier::kMaxStandardId;
    char buffer[2 * sizeof(value)];
    char* end = buffer + sizeof(buffer);
    char* begin = end;
    do {
        *--begin = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    if (padded) {
        while (end - begin < kCandumpExtendedDigits)
            *--begin = '0';
    }
    hexId.assign(begin, end);
}

void assignAsciiText(std::string_view recordText, std::string& asciiText)
{
    asciiText.clear();
    // The fields are the text without its angle brackets, split at every comma; an empty body has
    // none. Each field is read as it streams past, so no field text is ever built.
    enum class Phase { LeadingSpaces, Digits, TrailingSpaces, NotAByte };
    Phase phase = Phase::LeadingSpaces;
    unsigned value = 0;
    bool bodyEmpty = true;
    auto endField = [&] {
        if (phase == Phase::Digits || phase == Phase::TrailingSpaces)
            asciiText.push_back(static_cast<char>(value));
        phase = Phase::LeadingSpaces;
        value = 0;
    };
    for (const char c : recordText) {
        if (c == '<' || c == '>')
            continue;
        bodyEmpty = false;
        const bool digit = c >= '0' && c <= '9';
        if (c == ',') {
            endField();
        } else if (c == ' ') {
            if (phase == Phase::Digits)
                phase = Phase::TrailingSpaces;
        } else if (digit && (phase == Phase::LeadingSpaces || phase == Phase::Digits)) {
            value = value * 10 + static_cast<unsigned>(c - '0');
            // Leading zeros keep the value small, so a number is only cut short once it is above 255.
            phase = value > 255 ? Phase::NotAByte : Phase::Digits;
        } else {
            phase = Phase::NotAByte;
        }
    }
    if (!bodyEmpty)
        endField();
}

std::string asciiText(std::string_view recordText)
{
    std::string text;
    assignAsciiText(recordText, text);
    return text;
}

} // namespace vexmoor::record
