#pragma once

#include <cstddef>
#include <string>

namespace vexmoor {

// Why a DBC text was refused and where: line and column count from 1, the column in characters.
struct DbcError {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message; // what was expected there, e.g. "expected ':' after the message name"

    // "line 41, column 18: expected '@0' or '@1' after the signal size"
    std::string text() const
    {
        return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
    }
};

} // namespace vexmoor
