#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class QMainWindow;
class QMenu;

namespace vexmoor {

class BitViewPanel;
class CandidatesPanel;
class CaptureController;
class FileChooser;
class MarksPanel;
class MessageTableModel;
class MessageTableView;
class PlotPanel;
struct RankedBit;
class SignalControls;
class SuppressionControls;
class UserMessageBox;

// The views of change around the table, each a dock behind its View menu entry: the suppression and
// the changed-rows filter, the bit view of the selected row, the plot, the marks and the candidates
// they rank, the signals, the frame history's limit and the fields proposed for the selected row. A
// candidate chosen selects its row and plots its bit.
class ChangeViewDocks final : public QObject {
    Q_OBJECT

public:
    struct Table {
        MessageTableView& view;
        MessageTableModel& model;
        // Selects the row counted from 1.
        std::function<void(int position)> selectRow;
    };

    ChangeViewDocks(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, Table table,
                    UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser);
    Q_DISABLE_COPY_MOVE(ChangeViewDocks)

    // A candidate of the ranking chosen: its row selected in the table and shown in the bit view, and
    // its bit plotted.
    void showCandidate(const RankedBit& candidate);

private:
    void buildMarking(QMenu& viewMenu, SuppressionControls& suppression, UserMessageBox& messageBox,
                      std::function<FileChooser&()> fileChooser);
    // The Signals dock and what defines signals from the candidates and the bit view.
    void buildSignals(QMenu& viewMenu, UserMessageBox& messageBox);
    void keepSuppressionInSessions(SuppressionControls& suppression);
    void markTaken(std::size_t count);
    // The row of the identifier counted from 1, or 0 when the table has none.
    // The first row of the identifier on the bus (on any, without one); 0 when none.
    int positionOf(std::uint32_t id, bool extended, std::optional<std::uint8_t> bus) const;

    QMainWindow& m_window;
    CaptureController& m_controller;
    Table m_table;
    BitViewPanel* m_bitView = nullptr;
    PlotPanel* m_plot = nullptr;
    MarksPanel* m_marks = nullptr;
    CandidatesPanel* m_candidates = nullptr;
    SignalControls* m_signals = nullptr;
};

} // namespace vexmoor
