#pragma once

#include "capture/formats/GvretCsv.h"
#include "capture/formats/LineCarry.h"
#include "capture/formats/LogFormat.h"
#include "capture/record/CanFrame.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// Reads a candump or GVRET log chunk by chunk, in whatever pieces the file arrives: a line may be
// cut anywhere between two chunks, and the frames handed on never depend on where. Complete lines
// are parsed where they lie in the chunk; only a line cut by the end of a chunk is copied.
//
// Board text is no line format (records are cut at "<" and ">", not at line ends) and goes through
// SerialInputAssembly as the serial stream does; a reader made for it, or for an unknown format,
// counts every non-blank line malformed.
class LogReader final {
public:
    // A line longer than this is malformed, whether it arrives whole or in pieces: the part carried
    // between chunks never grows past it.
    static constexpr std::size_t kMaxLineLength = 4096;

    using FrameHandler = std::function<void(const CanFrame& frame, std::string_view interfaceName)>;

    // interfaceFilter: only frames of that interface (candump's interface name, GVRET's Bus number as
    // text) are handed on; empty: the frames of all interfaces, merged in file order.
    explicit LogReader(LogFormat format, std::string interfaceFilter = {});

    void feed(std::string_view bytes, const FrameHandler& handler);
    // Reads the last line when the file does not end with a line end.
    void finish(const FrameHandler& handler);

    std::uint64_t frames() const { return m_frames; } // handed on
    std::uint64_t malformedLines() const { return m_malformedLines; } // lines that are no log line
    std::uint64_t skippedFrames() const { return m_skippedFrames; } // error frames
    std::uint64_t filteredFrames() const { return m_filteredFrames; } // frames of other interfaces
    // Every interface seen on a well-formed line, in order of first appearance.
    const std::vector<std::string>& interfaces() const { return m_interfaces; }
    // Bytes held for a line that the end of the last chunk cut; never more than kMaxLineLength.
    std::size_t carriedBytes() const { return m_carried.size(); }

private:
    void readLine(std::string_view line, const FrameHandler& handler);
    void readFrame(const CanFrame& frame, std::string_view interfaceName, const FrameHandler& handler);
    void noteInterface(std::string_view interfaceName);
    void carry(std::string_view part);

    LogFormat m_format;
    std::string m_interfaceFilter;
    GvretCsv::Columns m_gvretColumns;
    bool m_firstLine = true;

    LineCarry m_carried; // the start of a line cut by the end of the last chunk

    std::vector<std::string> m_interfaces;
    std::size_t m_lastInterface = 0; // logs mostly come from one interface: look there first

    std::uint64_t m_frames = 0;
    std::uint64_t m_malformedLines = 0;
    std::uint64_t m_skippedFrames = 0;
    std::uint64_t m_filteredFrames = 0;
};

} // namespace vexmoor
