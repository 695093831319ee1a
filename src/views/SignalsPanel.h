#pragma once

#include <QDockWidget>

#include <utility>

class QAction;
class QMenu;
class QTreeView;

namespace vexmoor {

class FrameDecoder;
class FramesClock;
class LatestSignalValues;
class SignalTreeModel;

// The "Signals" dock: every message of the open signal database with its signals and what each
// reads now.
class SignalsPanel final : public QDockWidget {
    Q_OBJECT

public:
    SignalsPanel(const LatestSignalValues& values, const FramesClock& clock, QWidget* parent = nullptr);

    // The database shown changed (opened, edited, closed); nullptr for none.
    void showDatabase(const FrameDecoder* decoder);
    SignalTreeModel& model() { return *m_model; }

signals:
    // The right-click menu of a row: a new signal for the message, or the signal edited or deleted.
    // Rows count in the database's order of messages and each message's order of signals.
    void addSignalRequested(int messageRow);
    void editSignalRequested(int messageRow, int signalRow);
    void deleteSignalRequested(int messageRow, int signalRow);
    void addMessageRequested();
    void editMessageRequested(int messageRow);
    void deleteMessageRequested(int messageRow);
    // A signal's row double-clicked, or "Plot Signal" chosen.
    void plotRequested(int messageRow, int signalRow);

private:
    void buildContextMenu();
    void openContextMenu(const QPoint& position);
    QAction* addEntry(const QString& text, const char* objectName);
    // The rows of the current index: its message's, and its signal's or -1 on a message's row.
    std::pair<int, int> currentRows() const;

    SignalTreeModel* m_model;
    QTreeView* m_tree;
    QMenu* m_contextMenu = nullptr;
    QAction* m_add = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_editMessage = nullptr;
    QAction* m_deleteMessage = nullptr;
    QAction* m_plot = nullptr;
};

} // namespace vexmoor
