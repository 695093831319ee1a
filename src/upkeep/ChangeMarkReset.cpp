#include "upkeep/ChangeMarkReset.h"

#include "capture/CaptureState.h"
#include "capture/MessageTable.h"

namespace vexmoor {

ChangeMarkReset::ChangeMarkReset(CaptureState& state, MessageTable& table)
    : m_state(state)
    , m_table(table)
{
}

void ChangeMarkReset::tick()
{
    const int rowCount = m_table.rowCount();
    m_state.RowCount = rowCount;
    for (int index = 1; index <= rowCount; ++index) {
        m_state.RowIndex = index;
        m_state.RowText = m_table.canId(index);
        // A cell that is empty already stays as it is, so that its row is not shown again for nothing.
        if (!m_table.cell(index, MessageColumn::Change).empty())
            m_table.setCell(index, MessageColumn::Change, {});
    }
    m_state.RowIndex = rowCount + 1.0;
}

} // namespace vexmoor
