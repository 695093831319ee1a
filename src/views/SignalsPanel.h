#pragma once

#include <QDockWidget>

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

private:
    SignalTreeModel* m_model;
    QTreeView* m_tree;
};

} // namespace vexmoor
