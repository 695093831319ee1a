#pragma once

#include "capture/record/CanFrame.h"

#include <optional>
#include <string_view>

namespace vexmoor {

// The GVRET CSV log that SavvyCAN saves and loads. Its header names the columns
//   Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8
// and older files leave the Dir column out. One line per frame follows, for example
//   166064000,0x000000A5,false,Rx,0,8,FF,01,02,03,04,05,06,07,
class GvretCsv final {
public:
    struct Columns {
        bool hasDir = true;
    };

    // Column names are compared without case and without the spaces around them; a file may end the
    // header after fewer D columns, or with empty fields (a trailing comma).
    static bool isHeader(std::string_view line);
    static std::optional<Columns> columnsOf(std::string_view headerLine);

    enum class LineKind { Frame, Malformed, Blank };
    struct ParsedLine {
        LineKind kind = LineKind::Blank;
        CanFrame frame;
        std::string_view bus; // the Bus field as written, pointing into the line
    };

    // A line without its line end (a trailing "\r" is allowed); spaces around fields are allowed.
    // Time stamp in microseconds (decimal), ID in hex with or without "0x", Extended "true"/"false"
    // (without case) or 1/0, Dir "Rx"/"Tx" (both are frames), Bus a decimal number, LEN 0..8, then
    // the data bytes in hex. D columns past LEN may be missing, empty or hold bytes (which are not
    // part of the frame); empty fields after D8 are a trailing comma. An identifier beyond what its
    // Extended field allows (0x7FF standard, 0x1FFFFFFF extended) makes the line malformed.
    static ParsedLine parseLine(std::string_view line, Columns columns);
};

} // namespace vexmoor
