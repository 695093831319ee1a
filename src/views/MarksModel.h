#pragma once

#include "capture/ranking/Mark.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace vexmoor {

class BitRanking;

// The marks the ranking holds, one row each in the order taken. The ranking is the only store: the
// model keeps a copy of what it last told the view, so that marks taken or cleared elsewhere (the
// Mark key, "Clear All Data in the List") reach the view as rows inserted, removed or changed.
class MarksModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Number, Time, Note, Count };

    explicit MarksModel(BitRanking& ranking, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MarksModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void removeMark(int row);
    // Tells the view what changed in the ranking's marks since the last time.
    void refresh();

    // A mark's time of day in local time, "hh:mm:ss.mmm", and its seconds since the epoch to the
    // microsecond, as a marks file writes them.
    static QString timeOfDay(std::int64_t timeUs);
    static QString epochSeconds(std::int64_t timeUs);

private:
    BitRanking& m_ranking;
    std::vector<Mark> m_shown;
};

} // namespace vexmoor
