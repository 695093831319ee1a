#include "views/SignalTreeModel.h"

#include "capture/record/FramesClock.h"
#include "capture/record/RecordText.h"
#include "capture/signals/FrameDecoder.h"
#include "capture/signals/LatestSignalValues.h"
#include "views/MessageTableModel.h"
#include "views/SignalColors.h"

#include <QColor>

#include <variant>

namespace vexmoor {

namespace {

QString numberText(double value)
{
    return QString::fromStdString(physicalText(value));
}

QString rawText(const RawValue& raw)
{
    return std::visit(
        [](auto value) {
            if constexpr (std::is_same_v<decltype(value), double>)
                return numberText(value);
            else
                return QString::number(value);
        },
        raw);
}

} // namespace

SignalTreeModel::SignalTreeModel(const LatestSignalValues& values, const FramesClock& clock, QObject* parent)
    : QAbstractItemModel(parent)
    , m_values(values)
    , m_clock(clock)
{
    connect(&m_refreshTimer, &QTimer::timeout, this, &SignalTreeModel::refresh);
    m_refreshTimer.start(kRefreshIntervalMs);
}

void SignalTreeModel::setDecoder(const FrameDecoder* decoder)
{
    beginResetModel();
    m_decoder = decoder;
    m_shownGeneration = m_values.generation();
    endResetModel();
}

void SignalTreeModel::refresh()
{
    // The ages of the last changes and the flashes move with the clock; a value only when a frame
    // brought one.
    if (m_decoder == nullptr)
        return;
    m_shownGeneration = m_values.generation();
    for (int message = 0; message < rowCount(); ++message) {
        const QModelIndex parent = index(message, 0);
        const int signalCount = rowCount(parent);
        if (signalCount > 0)
            emit dataChanged(index(0, ValueColumn, parent), index(signalCount - 1, ChangedColumn, parent),
                             { Qt::DisplayRole, Qt::BackgroundRole });
    }
}

QModelIndex SignalTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount || row >= rowCount(parent))
        return {};
    return createIndex(row, column, parent.isValid() ? static_cast<quintptr>(parent.row() + 1) : kMessageRow);
}

QModelIndex SignalTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kMessageRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kMessageRow);
}

int SignalTreeModel::rowCount(const QModelIndex& parent) const
{
    if (m_decoder == nullptr || parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return static_cast<int>(m_decoder->messages().size());
    if (parent.internalId() != kMessageRow)
        return 0;
    return static_cast<int>(
        m_decoder->messages()[static_cast<std::size_t>(parent.row())].definition().signalDefinitions.size());
}

int SignalTreeModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant SignalTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || m_decoder == nullptr)
        return {};
    if (role == Qt::BackgroundRole && index.internalId() != kMessageRow && index.column() == ValueColumn)
        return flashOf(static_cast<int>(index.internalId() - 1), index.row());
    // The colour that outlines the signal's bits in the bit view.
    if (role == Qt::DecorationRole && index.internalId() != kMessageRow && index.column() == NameColumn)
        return signalColor(static_cast<std::size_t>(index.row()));
    if (role != Qt::DisplayRole)
        return {};
    if (index.internalId() == kMessageRow)
        return messageData(index.row(), index.column());
    return signalData(static_cast<int>(index.internalId() - 1), index.row(), index.column());
}

QVariant SignalTreeModel::flashOf(int messageRow, int signalRow) const
{
    // A changed value lights up as the table's bytes do and fades over the same time.
    const MessageDecoder& message = m_decoder->messages()[static_cast<std::size_t>(messageRow)];
    const LatestSignalValues::Latest* latest = m_values.latest(message, static_cast<std::size_t>(signalRow));
    if (latest == nullptr || latest->changedUs == LatestSignalValues::kNever)
        return {};
    const std::int64_t age = m_clock.nowUs() - latest->changedUs;
    if (age < 0 || age >= MessageTableModel::kFadeUs)
        return {};
    const double strength = 1.0 - static_cast<double>(age) / static_cast<double>(MessageTableModel::kFadeUs);
    const QColor& lit = MessageTableModel::kUndirectedColor;
    auto toward = [strength](int from, int to) { return static_cast<int>(from + (to - from) * strength); };
    return QColor(toward(255, lit.red()), toward(255, lit.green()), toward(255, lit.blue()));
}

QVariant SignalTreeModel::messageData(int row, int column) const
{
    if (column != NameColumn)
        return {};
    const MessageDefinition& message = m_decoder->messages()[static_cast<std::size_t>(row)].definition();
    std::string id;
    record::formatHexId(message.id, message.extended, id);
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(message.name), QString::fromStdString(id));
}

QVariant SignalTreeModel::signalData(int messageRow, int signalRow, int column) const
{
    const MessageDecoder& message = m_decoder->messages()[static_cast<std::size_t>(messageRow)];
    const SignalDefinition& signal = message.definition().signalDefinitions[static_cast<std::size_t>(signalRow)];
    if (column == NameColumn)
        return QString::fromStdString(signal.name);
    const LatestSignalValues::Latest* latest = m_values.latest(message, static_cast<std::size_t>(signalRow));
    if (latest == nullptr || !latest->value)
        return {};
    switch (column) {
    case ValueColumn:
        return signal.unit.empty()
            ? numberText(latest->value->physical)
            : QStringLiteral("%1 %2").arg(numberText(latest->value->physical), QString::fromStdString(signal.unit));
    case DescriptionColumn: {
        const auto text = valueDescriptionOf(signal, latest->value->raw);
        return text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())) : QVariant();
    }
    case RawColumn:
        return rawText(latest->value->raw);
    case ChangedColumn:
        // How long ago, on the frames' clock, so that a replay and a drive read alike.
        return QStringLiteral("%1 s ago")
            .arg(static_cast<double>(std::max<std::int64_t>(0, m_clock.nowUs() - latest->changedUs)) / 1e6, 0, 'f', 1);
    default:
        return {};
    }
}

QVariant SignalTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles
        = { QStringLiteral("Signal"), QStringLiteral("Value"), QStringLiteral("Description"), QStringLiteral("Raw"),
            QStringLiteral("Last Change") };
    return section >= 0 && section < titles.size() ? QVariant(titles[section]) : QVariant();
}

} // namespace vexmoor
