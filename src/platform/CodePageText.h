#pragma once

#include <QString>

#include <string_view>

namespace vexmoor {

// Table cells, ignore-list entries and records hold Windows-1252 bytes; this is how they become text
// on the screen.
class CodePageText final {
public:
    static QString toQString(std::string_view windows1252);
};

} // namespace vexmoor
