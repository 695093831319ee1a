#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vexmoor {

// The columns of the message table in display order; the CAN_ID is the row's own text.
enum class MessageColumn { CanId, Message, MsgCount, MessageName, Time, Change, Ascii, ChangeCount, Count };

// One row of the message table: eight text cells, numbers as decimal text, characters as
// Windows-1252 bytes.
struct MessageRow {
    std::array<std::string, static_cast<std::size_t>(MessageColumn::Count)> cells;
    // The bus's number while rows are kept per bus (see BusNames); 0 for a row of every bus.
    std::uint8_t bus = 0;
    // Set by every write to a cell; whoever shows the table clears it once the row is shown again,
    // so that a view repaints only the rows that changed.
    bool modified = true;

    std::string& operator[](MessageColumn column) { return cells[static_cast<std::size_t>(column)]; }
    const std::string& operator[](MessageColumn column) const { return cells[static_cast<std::size_t>(column)]; }
};

} // namespace vexmoor
