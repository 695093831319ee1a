#pragma once

#include "capture/record/CanFrame.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor::inject {

// A candump log held line by line, with the frames read from it and where each frame's data lies in
// its line, so that a changed log can alter one hex digit and leave every other character as it was.
class CandumpCapture final {
public:
    struct Frame {
        std::size_t line = 0;
        std::size_t dataOffset = 0; // the first data digit in the line
        CanFrame frame;
    };

    // Throws std::invalid_argument when the text holds no frame.
    static CandumpCapture fromText(std::string_view text);

    // The capture played copies times in a row, each copy one span plus one typical gap after the one
    // before, as if the same drive went on.
    CandumpCapture repeated(int copies) const;

    // A time stamp as candump writes it: seconds with six decimals, e.g. 1742339030.250000.
    static std::string secondsText(std::int64_t timestampUs);

    const std::vector<std::string>& lines() const { return m_lines; }
    const std::vector<Frame>& frames() const { return m_frames; }
    std::int64_t firstUs() const { return m_firstUs; }
    std::int64_t lastUs() const { return m_lastUs; }
    std::int64_t spanUs() const { return m_lastUs - m_firstUs; }
    // The median time between one frame and the next.
    std::int64_t typicalGapUs() const;

private:
    void addLine(std::string_view line);

    std::vector<std::string> m_lines;
    std::vector<Frame> m_frames;
    std::int64_t m_firstUs = 0;
    std::int64_t m_lastUs = 0;
};

} // namespace vexmoor::inject
