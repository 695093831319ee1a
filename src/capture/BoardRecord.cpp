#include "capture/BoardRecord.h"

#include <algorithm>
#include <charconv>

namespace vexmoor {

namespace {

std::string_view withoutSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The value of a text of decimal digits only, stopping as soon as it passes the limit, so that no
// run of digits can overflow.
bool readDecimal(std::string_view digits, std::uint32_t limit, std::uint32_t& value)
{
    if (digits.empty())
        return false;
    std::uint32_t result = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<std::uint32_t>(c - '0');
        if (result > limit)
            return false;
    }
    value = result;
    return true;
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
        const std::size_t length = std::min<std::size_t>(frame.length, CanFrame::kMaxLength);
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

std::optional<CanFrame> BoardRecord::toFrame(std::string_view recordText)
{
    if (recordText.size() < 2 || recordText.front() != '<' || recordText.back() != '>')
        return std::nullopt;
    std::string_view body = recordText.substr(1, recordText.size() - 2);

    const auto idEnd = body.find(',');
    const std::string_view idDigits = withoutSpaces(body.substr(0, idEnd));
    CanFrame frame;
    frame.extended = idDigits.size() > kMaxStandardIdDigits;
    if (idDigits.size() > kMaxExtendedIdDigits
        || !readDecimal(idDigits, frame.extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId, frame.id))
        return std::nullopt;
    if (idEnd == std::string_view::npos)
        return frame;

    body.remove_prefix(idEnd + 1);
    while (true) {
        const auto fieldEnd = body.find(',');
        const std::string_view field = withoutSpaces(body.substr(0, fieldEnd));
        const bool last = fieldEnd == std::string_view::npos;
        if (field.empty() && last)
            return frame;
        std::uint32_t value = 0;
        if (frame.length == CanFrame::kMaxLength || !readDecimal(field, 255, value))
            return std::nullopt;
        frame.data[frame.length++] = static_cast<std::uint8_t>(value);
        if (last)
            return frame;
        body.remove_prefix(fieldEnd + 1);
    }
}

} // namespace vexmoor
