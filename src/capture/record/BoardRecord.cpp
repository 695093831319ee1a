#include "capture/record/BoardRecord.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace vexmoor {

namespace {

enum class Field { Number, Blank, Bad };

// One field of a record's body from position on: spaces, decimal digits, spaces, then a comma or
// the end. A single pass, since every record of a busy bus is read back this way. The value stops
// being read as soon as it passes the limit, so that no run of digits can overflow; digits counts
// them all, leading zeros included, because their number tells an extended identifier. Forced inline:
// called out of line, its four results went through memory, a third of the cost of a record.
[[gnu::always_inline]] inline Field readField(std::string_view body, std::size_t& position, std::uint32_t limit,
                                              std::size_t maxDigits, std::uint32_t& value, std::size_t& digits,
                                              bool& last)
{
    const std::size_t size = body.size();
    std::size_t index = position;
    while (index < size && body[index] == ' ')
        ++index;
    std::uint64_t result = 0;
    digits = 0;
    for (; index < size && body[index] >= '0' && body[index] <= '9'; ++index) {
        result = result * 10 + static_cast<std::uint64_t>(body[index] - '0');
        if (result > limit || ++digits > maxDigits)
            return Field::Bad;
    }
    while (index < size && body[index] == ' ')
        ++index;
    if (index < size && body[index] != ',')
        return Field::Bad;
    last = index >= size;
    position = index + 1;
    value = static_cast<std::uint32_t>(result);
    return digits == 0 ? Field::Blank : Field::Number;
}

void appendDecimal(std::uint32_t value, std::string& out)
{
    char buffer[10];
    const auto end = std::to_chars(buffer, buffer + sizeof(buffer), value).ptr;
    out.append(buffer, end);
}

} // namespace

void BoardRecord::appendRecordText(const CanFrame& frame, std::string& out)
{
    out.push_back('<');
    if (frame.extended) {
        for (std::uint32_t bound = frame.id == 0 ? 1 : frame.id; bound < kFirstFiveDigitNumber; bound *= 10)
            out.push_back('0');
    }
    appendDecimal(frame.id, out);
    out.push_back(',');
    if (!frame.remote) {
        const std::size_t length = frame.dataLength();
        for (std::size_t index = 0; index < length; ++index) {
            appendDecimal(frame.data[index], out);
            out.push_back(',');
        }
    }
    out.push_back('>');
}

std::string BoardRecord::recordText(const CanFrame& frame)
{
    std::string text;
    appendRecordText(frame, text);
    return text;
}

void BoardRecord::assignAsciiText(const CanFrame& frame, std::string& asciiText)
{
    asciiText.clear();
    if (frame.id <= 255)
        asciiText.push_back(static_cast<char>(frame.id));
    if (frame.remote)
        return;
    const std::size_t length = frame.dataLength();
    asciiText.append(reinterpret_cast<const char*>(frame.data.data()), length);
}

std::optional<CanFrame> BoardRecord::toFrame(std::string_view recordText)
{
    if (recordText.size() < 2 || recordText.front() != '<' || recordText.back() != '>')
        return std::nullopt;
    const std::string_view body = recordText.substr(1, recordText.size() - 2);

    CanFrame frame;
    std::size_t position = 0;
    std::size_t digits = 0;
    bool last = false;
    if (readField(body, position, CanFrame::kMaxExtendedId, kMaxExtendedIdDigits, frame.id, digits, last)
        != Field::Number)
        return std::nullopt;
    frame.extended = digits > kMaxStandardIdDigits;
    if (!frame.extended && frame.id > CanFrame::kMaxStandardId)
        return std::nullopt;

    while (!last) {
        std::uint32_t value = 0;
        const Field field = readField(body, position, 255, SIZE_MAX, value, digits, last);
        if (field == Field::Blank && last)
            return frame;
        if (field != Field::Number || frame.length == CanFrame::kMaxClassicLength)
            return std::nullopt;
        frame.data[frame.length++] = static_cast<std::uint8_t>(value);
    }
    return frame;
}

} // namespace vexmoor
