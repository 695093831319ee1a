#include "CandumpCapture.h"

#include "capture/formats/CandumpLog.h"

#include <algorithm>
#include <stdexcept>

namespace vexmoor::inject {

namespace {

// The line with its time stamp (between the first "(" and ")") moved by shiftUs.
std::string shiftedLine(const std::string& line, std::int64_t timestampUs, std::int64_t shiftUs)
{
    const std::size_t open = line.find('(');
    const std::size_t close = line.find(')', open);
    return line.substr(0, open + 1) + CandumpCapture::secondsText(timestampUs + shiftUs) + line.substr(close);
}

} // namespace

std::string CandumpCapture::secondsText(std::int64_t timestampUs)
{
    // The log's own writer, so that marks and shifted lines read exactly as its time stamps do.
    CanFrame frame;
    frame.timestampUs = timestampUs;
    std::string line;
    CandumpLog::appendLine(frame, "can0", line);
    return line.substr(1, line.find(')') - 1);
}

CandumpCapture CandumpCapture::fromText(std::string_view text)
{
    CandumpCapture capture;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        capture.addLine(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    if (capture.m_frames.empty())
        throw std::invalid_argument("the log holds no candump frame");
    return capture;
}

void CandumpCapture::addLine(std::string_view line)
{
    const CandumpLog::ParsedLine parsed = CandumpLog::parseLine(line);
    if (parsed.kind == CandumpLog::LineKind::Frame) {
        // The frame text follows the interface name and its blanks; the data follows its "#".
        const auto interfaceEnd
            = static_cast<std::size_t>(parsed.interfaceName.data() - line.data()) + parsed.interfaceName.size();
        const std::size_t dataOffset = line.find('#', interfaceEnd) + 1;
        const std::int64_t timeUs = parsed.frame.timestampUs;
        m_firstUs = m_frames.empty() ? timeUs : std::min(m_firstUs, timeUs);
        m_lastUs = m_frames.empty() ? timeUs : std::max(m_lastUs, timeUs);
        m_frames.push_back({ m_lines.size(), dataOffset, parsed.frame });
    }
    m_lines.emplace_back(line);
}

std::int64_t CandumpCapture::typicalGapUs() const
{
    std::vector<std::int64_t> gaps;
    for (std::size_t index = 1; index < m_frames.size(); ++index)
        gaps.push_back(
            std::max<std::int64_t>(0, m_frames[index].frame.timestampUs - m_frames[index - 1].frame.timestampUs));
    if (gaps.empty())
        return 0;
    const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    return *middle;
}

CandumpCapture CandumpCapture::repeated(int copies) const
{
    const std::int64_t periodUs = spanUs() + typicalGapUs();
    std::string text;
    for (int copy = 0; copy < copies; ++copy) {
        const std::int64_t shiftUs = copy * periodUs;
        for (const std::string& line : m_lines) {
            // Frames this program does not show (error frames) have a time stamp and move too;
            // a line that is no log line has none and is copied as it is.
            const CandumpLog::ParsedLine parsed = CandumpLog::parseLine(line);
            const bool timed
                = parsed.kind == CandumpLog::LineKind::Frame || parsed.kind == CandumpLog::LineKind::Skipped;
            text += timed && copy > 0 ? shiftedLine(line, parsed.frame.timestampUs, shiftUs) : line;
            text += '\n';
        }
    }
    return fromText(text);
}

} // namespace vexmoor::inject
