#pragma once

#include <QAbstractItemModel>
#include <QTimer>

#include <cstdint>

namespace vexmoor {

class FrameDecoder;
class FramesClock;
class LatestSignalValues;

// The messages of the open signal database, each with its signals beneath it, and what each signal
// reads now: its physical value with the unit, the value's description, the raw value and when it
// last changed. The values follow the frames at the table's pace.
class SignalTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { NameColumn, ValueColumn, DescriptionColumn, RawColumn, ChangedColumn, ColumnCount };

    static constexpr int kRefreshIntervalMs = 100;

    SignalTreeModel(const LatestSignalValues& values, const FramesClock& clock, QObject* parent = nullptr);

    // The decoder of the database shown; nullptr for none. It must outlive the model or be replaced.
    void setDecoder(const FrameDecoder* decoder);
    // Tells the view about the values that moved since the last refresh.
    void refresh();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // A signal's index carries its message's row + 1 as internal id; a message's carries 0.
    static constexpr quintptr kMessageRow = 0;

    QVariant messageData(int row, int column) const;
    QVariant flashOf(int messageRow, int signalRow) const;
    QVariant signalData(int messageRow, int signalRow, int column) const;

    const LatestSignalValues& m_values;
    const FramesClock& m_clock;
    const FrameDecoder* m_decoder = nullptr;
    std::uint64_t m_shownGeneration = 0;
    QTimer m_refreshTimer;
};

} // namespace vexmoor
