#pragma once

#include "capture/changes/PlotSignal.h"
#include "capture/ranking/MessageAnatomy.h"
#include "capture/signals/SignalDefinition.h"
#include "views/MessageTableModel.h"

#include <QDockWidget>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QTableView;

namespace vexmoor {

class FramesClock;

class BitGridModel;
class FrameDecoder;
class ChangeTracker;
class MessageTableModel;
class MessageTableView;
class SuppressionMask;

// The bit view (dockBitView): the bits of the selected row's identifier, byte by byte, with how
// recently and how often each flipped. A click on a bit asks to plot the bit, one on a byte's value
// to plot the byte; a drag across bits asks to define that run as a signal, and the signals defined
// are outlined. The fields proposed for the identifier tint its bits, and a right-click on one offers
// to accept it, or all, as signals. It repaints only while it is shown, at most as often as the
// message table.
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
    void showIdentifier(const MessageTableModel::TrackedIdentifier& identifier, const QString& key);
    void showNothing();
    // Outlines the database's signals on the shown identifier's bits; nullptr for none.
    void showSignalsOf(const FrameDecoder* decoder);
    const BitGridModel& model() const { return *m_model; }
    BitGridModel& model() { return *m_model; }

signals:
    void plotRequested(vexmoor::PlotSignal signal);
    // A run of bits dragged across: its start bit, length and byte order.
    void defineRequested(std::uint32_t id, bool extended, const vexmoor::SignalDefinition& run);
    // The right-click menu of a bit of a proposed field: that field, as an index in the anatomy's
    // fields, or every field of the message that moved, accepted as signals.
    void acceptRequested(const vexmoor::MessageAnatomy& anatomy, const std::vector<int>& fields);
    void acceptAllRequested(const vexmoor::MessageAnatomy& anatomy);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrid();
    void requestPlot(const QModelIndex& index);
    // The bit under a point of the grid, as byte * 8 + bit; -1 off the bits.
    int bitAt(const QPoint& position) const;
    void dragTo(int position);
    void endDrag(int position);
    void openBitMenu(const QPoint& position);

    BitGridModel* m_model;
    QLabel* m_heading;
    QTableView* m_grid;
    QTimer m_refreshTimer;
    int m_pressedBit = -1;
    QString m_busName; // of the row shown, while rows are kept per bus
};

} // namespace vexmoor
