#pragma once

#include "capture/changes/PlotSignal.h"

#include <QDockWidget>
#include <QTimer>

#include <cstdint>
#include <functional>

class QLabel;
class QTableView;

namespace vexmoor {

class FramesClock;

class BitGridModel;
class ChangeTracker;
class MessageTableModel;
class MessageTableView;
class SuppressionMask;

// The bit view (dockBitView): the bits of the selected row's identifier, byte by byte, with how
// recently and how often each flipped. A click on a bit asks to plot the bit, one on a byte's value
// to plot the byte. It repaints only while it is shown, at most as often as the message table.
class BitViewPanel final : public QDockWidget {
    Q_OBJECT

public:
    // nowUs reads the frames' clock; the tracker and the mask must outlive the panel.
    BitViewPanel(const ChangeTracker& changes, const SuppressionMask& suppression, const FramesClock& clock,
                 QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BitViewPanel)

    // Shows the identifier of the row selected in the table from now on.
    void follow(const MessageTableView& view, const MessageTableModel& model);
    // key: the identifier as the table writes it, for the heading.
    void showIdentifier(std::uint32_t id, bool extended, const QString& key);
    void showNothing();
    const BitGridModel& model() const { return *m_model; }

signals:
    void plotRequested(vexmoor::PlotSignal signal);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildGrid();
    void requestPlot(const QModelIndex& index);

    BitGridModel* m_model;
    QLabel* m_heading;
    QTableView* m_grid;
    QTimer m_refreshTimer;
};

} // namespace vexmoor
