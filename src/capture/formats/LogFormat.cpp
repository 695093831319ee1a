#include "capture/formats/LogFormat.h"

#include "capture/formats/CandumpLog.h"
#include "capture/formats/GvretCsv.h"
#include "capture/record/BoardRecord.h"

namespace vexmoor {

namespace {

// The line the companion board prints once when it starts, before any record.
constexpr std::string_view kBoardStartupLine = "CAN BUS Shield init ok!";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

LogFormat formatOfLine(std::string_view line)
{
    const auto candump = CandumpLog::parseLine(line).kind;
    if (candump == CandumpLog::LineKind::Frame || candump == CandumpLog::LineKind::Skipped)
        return LogFormat::Candump;
    if (GvretCsv::isHeader(line) || GvretCsv::parseLine(line, { .hasDir = true }).kind == GvretCsv::LineKind::Frame
        || GvretCsv::parseLine(line, { .hasDir = false }).kind == GvretCsv::LineKind::Frame)
        return LogFormat::Gvret;
    if (line == kBoardStartupLine)
        return LogFormat::BoardText;
    // A record must read as a frame: a line that merely opens with "<" (XML, say) is no board text.
    const auto close = line.find('>');
    if (line.front() == '<' && close != std::string_view::npos && BoardRecord::toFrame(line.substr(0, close + 1)))
        return LogFormat::BoardText;
    return LogFormat::Unknown;
}

} // namespace

LogFormat detectLogFormat(std::string_view firstBytes)
{
    std::string_view rest = firstBytes.substr(0, kLogDetectionBytes);
    if (rest.starts_with(kUtf8ByteOrderMark))
        rest.remove_prefix(kUtf8ByteOrderMark.size());
    int lines = 0;
    while (!rest.empty() && lines < kLogDetectionLines) {
        const auto end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.empty())
            continue;
        ++lines;
        const LogFormat format = formatOfLine(line);
        if (format != LogFormat::Unknown)
            return format;
    }
    return LogFormat::Unknown;
}

const char* logFormatName(LogFormat format)
{
    switch (format) {
    case LogFormat::Candump:
        return "candump";
    case LogFormat::Gvret:
        return "GVRET CSV";
    case LogFormat::BoardText:
        return "board text";
    case LogFormat::Unknown:
        break;
    }
    return "unknown";
}

} // namespace vexmoor
