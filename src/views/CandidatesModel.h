#pragma once

#include "capture/ranking/RankedBit.h"

#include <QAbstractTableModel>

#include <vector>

namespace vexmoor {

class BusNames;

// The ranking's best bits, one row each, best first. It holds the ranking it was last given, not
// text: data() writes a cell when the view asks for it.
class CandidatesModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // Bus: the bit's bus, shown while rows are kept per bus.
    enum Column { Rank, CanId, Byte, Bit, MarksHit, FlipsElsewhere, Score, Bus, Count };

    explicit CandidatesModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CandidatesModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Rows that stay are told as changed rather than removed and inserted again, so that the view
    // keeps its selection and scroll position while the ranking moves.
    void setCandidates(std::vector<RankedBit> candidates);
    // nullptr past the end.
    const RankedBit* candidate(int row) const;
    // The names of the buses; nullptr: no Bus column text.
    void setBusNames(const BusNames* buses) { m_buses = buses; }
    QString busName(const RankedBit& candidate) const;

private:
    QVariant text(const RankedBit& candidate, int row, int column) const;

    std::vector<RankedBit> m_candidates;
    const BusNames* m_buses = nullptr;
};

} // namespace vexmoor
