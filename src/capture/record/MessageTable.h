#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capture/record/MessageRow.h"
#include "capture/record/TextHash.h"

namespace vexmoor {

// Told before rows leave the table, so that a view over it can let go of them first. Rows added at
// the end and cells written are not announced: a view picks them up when it next refreshes.
class MessageTableObserver {
public:
    virtual ~MessageTableObserver() = default;
    // Positions count from 1.
    virtual void rowsAboutToBeRemoved(int first, int last) = 0;
    virtual void rowsRemoved() = 0;
};

// The one store of what has been seen on the bus: one row per CAN identifier, addressed by its
// position (counted from 1, shifting up when a row before it is removed) and by its CAN_ID text.
// Ingestion only adds a row for a CAN_ID it did not find, but nothing here forbids two rows with
// the same CAN_ID; a lookup by CAN_ID returns all of them in table order.
class MessageTable final {
public:
    static constexpr std::array<std::string_view, static_cast<std::size_t>(MessageColumn::Count)> kColumnTitles = {
        "CAN_ID",       "CAN Messages (Includding CAN_ID)", "Msg Count", "Message Name", "TIME", "Change", "ASCII",
        "Change Count",
    };

    MessageTable();
    ~MessageTable();
    MessageTable(const MessageTable&) = delete;
    MessageTable& operator=(const MessageTable&) = delete;

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    bool hasRow(int position) const { return position >= 1 && position <= rowCount(); }

    // Positions count from 1; a position without a row throws std::out_of_range.
    const MessageRow& row(int position) const;
    const std::string& canId(int position) const;
    const std::string& cell(int position, MessageColumn column) const;
    // Cells 1 to 7; the CAN_ID is fixed when the row is added.
    void setCell(int position, MessageColumn column, std::string_view text);

    // Appends a row whose cells other than the CAN_ID are empty.
    MessageRow& appendRow(std::string_view canId);
    void removeRow(int position);
    void clear();

    // The rows with this CAN_ID in table order, for updating in place; empty when there is none.
    // Whoever writes through them calls noteRowsWritten() afterwards.
    std::span<MessageRow* const> rowsWithCanId(std::string_view canId);
    void noteRowsWritten() { ++m_revision; }

    // Whether a cell of the row was written since the last call for that row; clears the mark.
    bool takeModifiedMark(int position);

    // Grows with every change to the table: a scan that found nothing to do need not be repeated
    // while it stays the same.
    std::uint64_t revision() const { return m_revision; }

    void setObserver(MessageTableObserver* observer) { m_observer = observer; }

private:
    MessageRow& rowAt(int position) const;

    // Rows live on the heap so that the index can point at them while positions shift.
    std::vector<std::unique_ptr<MessageRow>> m_rows;
    std::unordered_map<std::string, std::vector<MessageRow*>, TextHash, std::equal_to<>> m_rowsByCanId;
    std::uint64_t m_revision = 0;
    MessageTableObserver* m_observer = nullptr;
};

} // namespace vexmoor
