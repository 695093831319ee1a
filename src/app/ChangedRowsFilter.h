#pragma once

#include <QObject>
#include <QTimer>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace vexmoor {

class MessageTableModel;
class MessageTableView;
class SuppressionControls;

// "Only Rows With Unsuppressed Changes": hides the table's rows in which no bit outside the
// suppression flipped within the suppression's window, so that after suppressing the bits that
// always move, the switch a person operates is the only row left. It hides rows in the view only:
// the table keeps every row at its position, which the notes window, Find and the selection use.
class ChangedRowsFilter final : public QObject {
    Q_OBJECT

public:
    // How often the hidden rows follow the changes: a change shows within this, and a row leaves
    // this long after its window has passed.
    static constexpr int kUpdateIntervalMs = 200;

    ChangedRowsFilter(QMenu& viewMenu, QStatusBar& statusBar, MessageTableView& view, MessageTableModel& model,
                      const SuppressionControls& suppression, QObject* parent);
    Q_DISABLE_COPY_MOVE(ChangedRowsFilter)

    bool isOn() const;
    void setOn(bool on);
    // Hides and shows the rows for the moment the table's columns show.
    void update();

private:
    void showEveryRow();

    MessageTableView& m_view;
    MessageTableModel& m_model;
    const SuppressionControls& m_suppression;
    QAction* m_action;
    QLabel* m_status;
    QTimer m_timer;
};

} // namespace vexmoor
