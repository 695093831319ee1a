#pragma once

#include "capture/ranking/Mark.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// The marks of a drive as text: one mark per line, the time in seconds on the log's clock (a candump
// log's epoch seconds, "1742339030.250000"), then optionally "#" and a note. Blank lines and lines
// beginning with "#" are ignored; anything else is an error that names the line.
class MarksFile final {
public:
    struct Parsed {
        std::vector<Mark> marks;
        std::string error; // empty when every line was read
    };

    static Parsed parse(std::string_view text);
    // The file's marks, or the error: one that names the file when it cannot be read.
    static Parsed read(const std::filesystem::path& path);
    // One mark's line, with its line end.
    static std::string line(const Mark& mark);
    static std::string text(const std::vector<Mark>& marks);
};

} // namespace vexmoor
