#include "capture/formats/GvretCsv.h"

#include "capture/record/HexText.h"

#include <array>

namespace vexmoor {

namespace {

constexpr std::size_t kMaxTimestampDigits = 18; // below 2^63 microseconds
constexpr std::size_t kMaxBusDigits = 9;

// Splits a line at its commas without building any field text.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line)
        : m_rest(line)
    {
    }

    bool atEnd() const { return m_done; }

    // The next field without the spaces around it; empty once the line is used up.
    std::string_view next()
    {
        if (m_done)
            return {};
        const auto comma = m_rest.find(',');
        std::string_view field = m_rest.substr(0, comma);
        if (comma == std::string_view::npos) {
            m_done = true;
            m_rest = {};
        } else {
            m_rest.remove_prefix(comma + 1);
        }
        while (!field.empty() && field.front() == ' ')
            field.remove_prefix(1);
        while (!field.empty() && field.back() == ' ')
            field.remove_suffix(1);
        return field;
    }

    // True when every field left is empty.
    bool onlyEmptyFieldsLeft()
    {
        while (!atEnd()) {
            if (!next().empty())
                return false;
        }
        return true;
    }

private:
    std::string_view m_rest;
    bool m_done = false;
};

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCaseWord)
{
    if (text.size() != lowerCaseWord.size())
        return false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (lower(text[index]) != lowerCaseWord[index])
            return false;
    }
    return true;
}

bool readDecimal(std::string_view text, std::size_t maxDigits, std::uint64_t& value)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
    }
    value = result;
    return true;
}

bool readFlag(std::string_view text, bool& flag)
{
    if (equalsIgnoringCase(text, "true") || text == "1")
        flag = true;
    else if (equalsIgnoringCase(text, "false") || text == "0")
        flag = false;
    else
        return false;
    return true;
}

std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

bool GvretCsv::isHeader(std::string_view line)
{
    return columnsOf(line).has_value();
}

std::optional<GvretCsv::Columns> GvretCsv::columnsOf(std::string_view headerLine)
{
    FieldCursor fields(withoutLineEnd(headerLine));
    if (!equalsIgnoringCase(fields.next(), "time stamp") || !equalsIgnoringCase(fields.next(), "id")
        || !equalsIgnoringCase(fields.next(), "extended"))
        return std::nullopt;
    Columns columns;
    std::string_view field = fields.next();
    columns.hasDir = equalsIgnoringCase(field, "dir");
    if (columns.hasDir)
        field = fields.next();
    if (!equalsIgnoringCase(field, "bus") || !equalsIgnoringCase(fields.next(), "len"))
        return std::nullopt;
    static constexpr std::array<std::string_view, CanFrame::kMaxClassicLength> kDataColumns { "d1", "d2", "d3", "d4",
                                                                                              "d5", "d6", "d7", "d8" };
    for (const auto name : kDataColumns) {
        field = fields.next();
        if (field.empty())
            return fields.onlyEmptyFieldsLeft() ? std::optional(columns) : std::nullopt;
        if (!equalsIgnoringCase(field, name))
            return std::nullopt;
    }
    return fields.onlyEmptyFieldsLeft() ? std::optional(columns) : std::nullopt;
}

GvretCsv::ParsedLine GvretCsv::parseLine(std::string_view line, Columns columns)
{
    ParsedLine parsed;
    line = withoutLineEnd(line);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return parsed;
    parsed.kind = LineKind::Malformed;
    CanFrame& frame = parsed.frame;
    FieldCursor fields(line);

    std::uint64_t timestamp = 0;
    if (!readDecimal(fields.next(), kMaxTimestampDigits, timestamp))
        return parsed;
    frame.timestampUs = static_cast<std::int64_t>(timestamp);

    std::string_view idText = fields.next();
    if (idText.size() > 2 && idText[0] == '0' && lower(idText[1]) == 'x')
        idText.remove_prefix(2);
    if (!hex::readNumber(idText, frame.id) || !readFlag(fields.next(), frame.extended)
        || frame.id > (frame.extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId))
        return parsed;

    if (columns.hasDir) {
        const std::string_view direction = fields.next();
        if (!equalsIgnoringCase(direction, "rx") && !equalsIgnoringCase(direction, "tx"))
            return parsed;
    }

    const std::string_view bus = fields.next();
    std::uint64_t number = 0;
    if (!readDecimal(bus, kMaxBusDigits, number) || !readDecimal(fields.next(), 2, number)
        || number > CanFrame::kMaxClassicLength)
        return parsed;
    frame.length = static_cast<std::uint8_t>(number);

    std::size_t dataFields = 0;
    for (; dataFields < CanFrame::kMaxClassicLength && !fields.atEnd(); ++dataFields) {
        const std::string_view byteText = fields.next();
        const bool partOfFrame = dataFields < frame.length;
        std::uint32_t value = 0;
        const bool missing = byteText.empty() && partOfFrame;
        const bool notAByte = !byteText.empty() && (byteText.size() > 2 || !hex::readNumber(byteText, value));
        if (missing || notAByte)
            return parsed;
        if (partOfFrame)
            frame.data[dataFields] = static_cast<std::uint8_t>(value);
    }
    if (dataFields < frame.length || !fields.onlyEmptyFieldsLeft())
        return parsed;
    parsed.kind = LineKind::Frame;
    parsed.bus = bus;
    return parsed;
}

} // namespace vexmoor
