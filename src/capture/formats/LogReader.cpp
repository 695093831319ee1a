#include "capture/formats/LogReader.h"

#include "capture/formats/CandumpLog.h"

#include <cstring>

namespace vexmoor {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The position of the next line feed at or after start, or npos. memchr is what makes the scan of a
// long chunk fast.
std::size_t findLineEnd(std::string_view bytes, std::size_t start)
{
    const void* found = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
    return found == nullptr ? std::string_view::npos
                            : static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
}

bool isBlankLine(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

} // namespace

LogReader::LogReader(LogFormat format, std::string interfaceFilter)
    : m_format(format)
    , m_interfaceFilter(std::move(interfaceFilter))
    , m_carried(kMaxLineLength)
{
}

void LogReader::feed(std::string_view bytes, const FrameHandler& handler)
{
    std::size_t start = 0;
    if (m_carried.active()) {
        const std::size_t end = findLineEnd(bytes, 0);
        if (end == std::string_view::npos) {
            carry(bytes);
            return;
        }
        carry(bytes.substr(0, end));
        if (!m_carried.tooLong())
            readLine(m_carried.line(), handler);
        m_carried.clear();
        start = end + 1;
    }
    for (std::size_t end = findLineEnd(bytes, start); end != std::string_view::npos; end = findLineEnd(bytes, start)) {
        readLine(bytes.substr(start, end - start), handler);
        start = end + 1;
    }
    if (start < bytes.size())
        carry(bytes.substr(start));
}

void LogReader::finish(const FrameHandler& handler)
{
    if (!m_carried.line().empty())
        readLine(m_carried.line(), handler);
    m_carried.clear();
}

void LogReader::carry(std::string_view part)
{
    // Counted now, since the rest of the line, however long, is passed over unread.
    if (m_carried.add(part))
        ++m_malformedLines;
}

void LogReader::readLine(std::string_view line, const FrameHandler& handler)
{
    if (m_firstLine) {
        m_firstLine = false;
        if (line.starts_with(kUtf8ByteOrderMark))
            line.remove_prefix(kUtf8ByteOrderMark.size());
    }
    if (line.size() > kMaxLineLength) {
        ++m_malformedLines;
        return;
    }

    switch (m_format) {
    case LogFormat::Candump: {
        const auto parsed = CandumpLog::parseLine(line);
        switch (parsed.kind) {
        case CandumpLog::LineKind::Frame:
            readFrame(parsed.frame, parsed.interfaceName, handler);
            break;
        case CandumpLog::LineKind::Skipped:
            noteInterface(parsed.interfaceName);
            ++m_skippedFrames;
            break;
        case CandumpLog::LineKind::Malformed:
            ++m_malformedLines;
            break;
        case CandumpLog::LineKind::Blank:
            break;
        }
        return;
    }
    case LogFormat::Gvret: {
        const auto parsed = GvretCsv::parseLine(line, m_gvretColumns);
        if (parsed.kind == GvretCsv::LineKind::Frame) {
            readFrame(parsed.frame, parsed.bus, handler);
        } else if (parsed.kind == GvretCsv::LineKind::Malformed) {
            // A header, also one in the middle where two logs were joined, sets the columns of the
            // lines after it.
            if (const auto columns = GvretCsv::columnsOf(line))
                m_gvretColumns = *columns;
            else
                ++m_malformedLines;
        }
        return;
    }
    case LogFormat::BoardText:
    case LogFormat::Unknown:
        break;
    }
    if (!isBlankLine(line))
        ++m_malformedLines;
}

void LogReader::readFrame(const CanFrame& frame, std::string_view interfaceName, const FrameHandler& handler)
{
    noteInterface(interfaceName);
    if (!m_interfaceFilter.empty() && interfaceName != m_interfaceFilter) {
        ++m_filteredFrames;
        return;
    }
    ++m_frames;
    handler(frame, interfaceName);
}

void LogReader::noteInterface(std::string_view interfaceName)
{
    if (m_lastInterface < m_interfaces.size() && m_interfaces[m_lastInterface] == interfaceName)
        return;
    for (std::size_t index = 0; index < m_interfaces.size(); ++index) {
        if (m_interfaces[index] == interfaceName) {
            m_lastInterface = index;
            return;
        }
    }
    m_lastInterface = m_interfaces.size();
    m_interfaces.emplace_back(interfaceName);
}

} // namespace vexmoor
