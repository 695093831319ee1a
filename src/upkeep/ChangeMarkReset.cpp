#include "upkeep/ChangeMarkReset.h"

#include "capture/record/MessageTable.h"

namespace vexmoor {

ChangeMarkReset::ChangeMarkReset(MessageTable& table)
    : m_table(table)
{
}

void ChangeMarkReset::tick()
{
    const int rowCount = m_table.rowCount();
    for (int index = 1; index <= rowCount; ++index) {
        // A cell that is empty already stays as it is, so that its row is not shown again for nothing.
        if (!m_table.cell(index, MessageColumn::Change).empty())
            m_table.setCell(index, MessageColumn::Change, {});
    }
}

} // namespace vexmoor
