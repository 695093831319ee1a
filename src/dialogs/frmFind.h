#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;

namespace vexmoor {

class MessageTable;

// "Find a CAN-ID": selects the first row whose CAN_ID equals the typed text, letter case aside,
// and closes. The texts are compared whole, without trimming; when no row matches nothing happens.
class frmFind final : public QWidget {
    Q_OBJECT

public:
    // Selects the row at a position counted from 1.
    using RowSelector = std::function<void(int position)>;

    frmFind(const MessageTable& table, RowSelector selectRow, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmFind)

private:
    void search();

    const MessageTable& m_table;
    RowSelector m_selectRow;
    QLineEdit* m_canIdBox;
};

} // namespace vexmoor
