#pragma once

#include "capture/record/CanFrame.h"

#include <string>
#include <string_view>

namespace vexmoor {

// Lines of the log that can-utils' "candump -L" writes and canplayer reads:
//   (1696758378.547717) can0 0F7#01FD01C780000300
class CandumpLog final {
public:
    static constexpr std::uint32_t kErrorFrameFlag = 0x20000000; // CAN_ERR_FLAG
    static constexpr int kBitRateSwitchFlag = 0x1; // CANFD_BRS
    static constexpr int kErrorStateFlag = 0x2; // CANFD_ESI

    // Appends one line with "\n": the time stamp as seconds.microseconds (6 digits), the interface,
    // the identifier in upper-case hex with 3 digits for a standard frame and 8 for an extended one,
    // "#", and the data bytes as 2 upper-case hex digits each; a remote frame is "ID#R", a CAN FD
    // frame "ID##" with its flags digit before the data, a classic one never so. An empty
    // interface name is written as "can0", and characters that would split the line into other
    // fields (spaces, control characters) as "_", so that every line written reads back.
    static void appendLine(const CanFrame& frame, std::string_view interfaceName, std::string& out);

    // Skipped: a well-formed line of a frame this program does not show: an error frame (CAN_ERR_FLAG
    // in the identifier).
    enum class LineKind { Frame, Skipped, Malformed, Blank };
    struct ParsedLine {
        LineKind kind = LineKind::Blank;
        CanFrame frame;
        std::string_view interfaceName; // points into the line
    };

    // A line without its line end (a trailing "\r" is allowed). 3 hex digits or fewer is a standard
    // identifier (at most 0x7FF), 8 an extended one; "#R", optionally followed by a length digit, is a
    // remote frame without data; lowercase hex is accepted; the data is an even number of hex digits,
    // at most 8 bytes, optionally followed by "_" and the raw length code 9..F that candump writes
    // for an 8-byte frame. A CAN FD frame is "##", a flags digit (any hex digit) and 0 to 64 bytes in
    // one of FD's lengths. The time stamp's fraction may have 1 to 9 digits. Text after the frame is
    // tolerated only after a space (some tools add " T"/" R" direction flags).
    static ParsedLine parseLine(std::string_view line);

private:
    static bool readTimestamp(std::string_view text, std::int64_t& timestampUs);
    static LineKind readFrame(std::string_view text, CanFrame& frame);
    static bool readCanFdData(std::string_view text, CanFrame& frame);
};

} // namespace vexmoor
