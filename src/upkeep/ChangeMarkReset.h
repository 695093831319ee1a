#pragma once

namespace vexmoor {

class MessageTable;

// Every tick of its timer empties the "Change" cell of every row, so that the "Data Changed" marks
// show only the changes since the last tick. It never yields.
class ChangeMarkReset final {
public:
    explicit ChangeMarkReset(MessageTable& table);

    void tick();

private:
    MessageTable& m_table;
};

} // namespace vexmoor
