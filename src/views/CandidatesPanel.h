#pragma once

#include "capture/ranking/RankedBit.h"

#include <QDockWidget>
#include <QTimer>

#include <cstdint>

class QDoubleSpinBox;
class QLabel;
class QMenu;
class QTableView;

namespace vexmoor {

class BitRanking;
class BusNames;
class CandidatesModel;
class SuppressionMask;

// The bits that best follow the marks (dockCandidates), best first, with how many marks each
// followed and how often it flipped elsewhere. Ranking every bit costs more than drawing it, so the
// list is ranked again at most once a second, and only while shown and when the marks, the flips
// near them or the suppressed bits changed. The window around each mark is set here too.
class CandidatesPanel final : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = 1000;
    // The ranking takes at most one part in this many of the time between two refreshes.
    static constexpr qint64 kRankingTimeShareInverse = 20;
    static constexpr std::size_t kShownCandidates = 50;

    // The ranking and the mask must outlive the panel.
    CandidatesPanel(BitRanking& ranking, const SuppressionMask& suppression, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CandidatesPanel)

    const CandidatesModel& model() const { return *m_model; }
    // The Bus column, shown while rows are kept per bus, with the buses' names.
    void setBuses(const BusNames* buses, bool shown);
    // Ranks again if anything the ranking depends on changed since the last time.
    void refresh();
    // The suppressed bits changed: the next refresh ranks again.
    void suppressionChanged() { m_stale = true; }
    // A line under the list for what became of the last candidate chosen.
    void showMessage(const QString& message);

signals:
    // A double click on a candidate: the window shows its row, bits and plot.
    void candidateChosen(vexmoor::RankedBit candidate);
    // "Define Signal..." on a candidate's right-click menu: its bit as a signal of its own.
    void defineSignalRequested(vexmoor::RankedBit candidate);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildWindowControls();
    void applyWindow();
    void showWindow();
    void chooseRow(const QModelIndex& index);
    void buildContextMenu();
    void defineSignalOfRow(int row);

    BitRanking& m_ranking;
    const SuppressionMask& m_suppression;
    CandidatesModel* m_model;
    QLabel* m_hint;
    QTableView* m_table;
    QMenu* m_contextMenu = nullptr;
    QDoubleSpinBox* m_before = nullptr;
    QDoubleSpinBox* m_after = nullptr;
    QLabel* m_message;
    QTimer m_refreshTimer;
    std::uint64_t m_rankedRevision = 0;
    bool m_stale = true;
};

} // namespace vexmoor
