#include "capture/RecordText.h"

#include "capture/DecimalText.h"

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

std::optional<Identifier> takeIdentifier(std::string_view recordText)
{
    // Character positions 3 to 6 counted from 1 are indexes 2 to 5.
    std::size_t comma = 2;
    while (comma <= 5 && comma < recordText.size() && recordText[comma] != ',')
        ++comma;
    if (comma > 5 || comma >= recordText.size())
        return std::nullopt;

    const auto idText = recordText.substr(1, comma - 1);
    if (!decimal::isWholeNumber(idText))
        return std::nullopt;
    unsigned value = 0;
    for (const char c : idText) {
        if (c != ' ')
            value = value * 10 + static_cast<unsigned>(c - '0');
    }
    Identifier identifier;
    identifier.decimalId = static_cast<std::int16_t>(value); // at most four digits: 9999 fits
    formatHexId(value, identifier.hexId);
    return identifier;
}

void formatHexId(unsigned value, std::string& hexId)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    char buffer[2 * sizeof(unsigned)];
    char* end = buffer + sizeof(buffer);
    char* begin = end;
    do {
        *--begin = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
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
