#include "capture/formats/CandumpLog.h"

#include "capture/record/HexText.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vexmoor {

namespace {

constexpr std::uint64_t kMicrosecondsPerSecond = 1'000'000;
// Enough second digits for every time stamp an int64 of microseconds holds.
constexpr std::size_t kMaxSecondDigits = 13;
constexpr std::size_t kMaxFractionDigits = 9;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text up to the next blank, taken off the front of the rest.
std::string_view takeToken(std::string_view& rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    const std::string_view token = rest.substr(0, end);
    rest.remove_prefix(end);
    return token;
}

// Takes the blanks off the front of the rest; false when there were none.
bool skipBlanks(std::string_view& rest)
{
    std::size_t count = 0;
    while (count < rest.size() && isBlank(rest[count]))
        ++count;
    rest.remove_prefix(count);
    return count > 0;
}

} // namespace

void CandumpLog::appendLine(const CanFrame& frame, std::string_view interfaceName, std::string& out)
{
    // The magnitude as unsigned, so that the most negative time stamp has one too.
    const bool negative = frame.timestampUs < 0;
    const std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(frame.timestampUs) : static_cast<std::uint64_t>(frame.timestampUs);
    char buffer[24];
    out.push_back('(');
    if (negative)
        out.push_back('-');
    out.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), magnitude / kMicrosecondsPerSecond).ptr);
    out.push_back('.');
    std::uint64_t fraction = magnitude % kMicrosecondsPerSecond;
    for (int digit = 5; digit >= 0; --digit) {
        buffer[digit] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    out.append(buffer, 6);
    out.append(") ");

    if (interfaceName.empty())
        interfaceName = "can0";
    for (const char c : interfaceName)
        out.push_back(static_cast<unsigned char>(c) <= ' ' || c == '\x7F' ? '_' : c);
    out.push_back(' ');

    hex::appendNumber(frame.id, frame.extended ? 8 : 3, out);
    out.push_back('#');
    if (frame.remote) {
        out.push_back('R');
        out.push_back('\n');
        return;
    }
    if (frame.fd) {
        // The flags digit as can-utils writes it: bit-rate switch 1, error state 2.
        out.push_back('#');
        const int flags
            = (frame.bitRateSwitch ? kBitRateSwitchFlag : 0) | (frame.errorStateIndicator ? kErrorStateFlag : 0);
        hex::appendNumber(static_cast<std::uint32_t>(flags), 1, out);
    }
    const std::size_t length = frame.dataLength();
    for (std::size_t index = 0; index < length; ++index)
        hex::appendByte(frame.data[index], out);
    out.push_back('\n');
}

CandumpLog::ParsedLine CandumpLog::parseLine(std::string_view line)
{
    ParsedLine parsed;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::string_view rest = line;
    skipBlanks(rest);
    if (rest.empty())
        return parsed;

    parsed.kind = LineKind::Malformed;
    const auto close = rest.find(')');
    if (rest.front() != '(' || close == std::string_view::npos
        || !readTimestamp(rest.substr(1, close - 1), parsed.frame.timestampUs))
        return parsed;
    rest.remove_prefix(close + 1);

    if (!skipBlanks(rest))
        return parsed;
    const std::string_view interfaceName = takeToken(rest);
    if (interfaceName.empty() || !skipBlanks(rest))
        return parsed;
    const std::string_view frameText = takeToken(rest);
    // Whatever follows the frame is set apart by a blank, as takeToken stops only at one.
    const LineKind kind = readFrame(frameText, parsed.frame);
    if (kind == LineKind::Malformed)
        return parsed;
    parsed.kind = kind;
    parsed.interfaceName = interfaceName;
    return parsed;
}

bool CandumpLog::readTimestamp(std::string_view text, std::int64_t& timestampUs)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const auto point = text.find('.');
    const std::string_view seconds = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (seconds.empty() || seconds.size() > kMaxSecondDigits || fraction.size() > kMaxFractionDigits
        || (point != std::string_view::npos && fraction.empty()))
        return false;

    std::uint64_t magnitude = 0;
    for (const char c : seconds) {
        if (!isDigit(c))
            return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // Thirteen digits of seconds in microseconds stay below 2^64, so the sum cannot wrap.
    magnitude *= kMicrosecondsPerSecond;
    std::uint64_t scale = kMicrosecondsPerSecond;
    for (const char c : fraction) {
        if (!isDigit(c))
            return false;
        // Digits below a microsecond are dropped: the frame keeps whole microseconds.
        scale /= 10;
        magnitude += static_cast<std::uint64_t>(c - '0') * scale;
    }

    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > kMax + (negative ? 1 : 0))
        return false;
    timestampUs = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

CandumpLog::LineKind CandumpLog::readFrame(std::string_view text, CanFrame& frame)
{
    const auto hash = text.find('#');
    if (hash == std::string_view::npos)
        return LineKind::Malformed;
    const std::string_view idText = text.substr(0, hash);
    std::string_view content = text.substr(hash + 1);
    if (!hex::readNumber(idText, frame.id))
        return LineKind::Malformed;

    bool errorFrame = false;
    if (idText.size() == 8) {
        frame.extended = true;
        errorFrame = (frame.id & kErrorFrameFlag) != 0;
        // Other flag bits never reach a log: candump masks them off.
        if ((frame.id & ~(CanFrame::kMaxExtendedId | kErrorFrameFlag)) != 0)
            return LineKind::Malformed;
    } else if (idText.size() > 3 || frame.id > CanFrame::kMaxStandardId) {
        return LineKind::Malformed;
    }

    if (!content.empty() && content.front() == '#') {
        if (!readCanFdData(content.substr(1), frame))
            return LineKind::Malformed;
        return errorFrame ? LineKind::Skipped : LineKind::Frame;
    }

    if (!content.empty() && (content.front() == 'R' || content.front() == 'r')) {
        frame.remote = true;
        if (content.size() > 2 || (content.size() == 2 && (content[1] < '0' || content[1] > '8')))
            return LineKind::Malformed;
        return errorFrame ? LineKind::Skipped : LineKind::Frame;
    }

    // An 8-byte frame whose length code on the bus was 9 to 15 ends in "_" and that code.
    const auto underscore = content.find('_');
    if (underscore != std::string_view::npos) {
        const int code = content.size() == underscore + 2 ? hex::digitValue(content[underscore + 1]) : -1;
        if (underscore != 2 * CanFrame::kMaxClassicLength || code <= CanFrame::kMaxClassicLength)
            return LineKind::Malformed;
        content = content.substr(0, underscore);
    }
    std::size_t length = 0;
    if (!hex::readBytes(content, frame.data.data(), CanFrame::kMaxClassicLength, length))
        return LineKind::Malformed;
    frame.length = static_cast<std::uint8_t>(length);
    return errorFrame ? LineKind::Skipped : LineKind::Frame;
}

bool CandumpLog::readCanFdData(std::string_view text, CanFrame& frame)
{
    // One hex digit of flags, then the data in one of FD's lengths. Of the flags, the bit-rate switch
    // and the error state are kept; FDF (4), which newer can-utils add, says only what "##" says.
    const int flags = text.empty() ? -1 : hex::digitValue(text.front());
    std::size_t length = 0;
    if (flags < 0 || !hex::readBytes(text.substr(1), frame.data.data(), CanFrame::kMaxFdLength, length)
        || !CanFrame::isFdLength(length))
        return false;
    frame.fd = true;
    frame.bitRateSwitch = (flags & kBitRateSwitchFlag) != 0;
    frame.errorStateIndicator = (flags & kErrorStateFlag) != 0;
    frame.length = static_cast<std::uint8_t>(length);
    return true;
}

} // namespace vexmoor
