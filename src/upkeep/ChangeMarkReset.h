#pragma once

namespace vexmoor {

struct CaptureState;
class MessageTable;

// Every tick of its timer empties the "Change" cell of every row, so that the "Data Changed" marks
// show only the changes since the last tick. It never yields.
class ChangeMarkReset final {
public:
    ChangeMarkReset(CaptureState& state, MessageTable& table);

    void tick();

private:
    CaptureState& m_state;
    MessageTable& m_table;
};

} // namespace vexmoor
