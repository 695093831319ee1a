#include "views/MarksModel.h"

#include "capture/ranking/BitRanking.h"

#include <QDateTime>

#include <algorithm>

namespace vexmoor {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr std::int64_t kMicrosecondsPerMillisecond = 1'000;

// Division that rounds towards the past, so that a time before 1970 keeps its digits in order.
std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

} // namespace

MarksModel::MarksModel(BitRanking& ranking, QObject* parent)
    : QAbstractTableModel(parent)
    , m_ranking(ranking)
    , m_shown(ranking.marks())
{
}

int MarksModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int MarksModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count;
}

QString MarksModel::timeOfDay(std::int64_t timeUs)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(floorDivide(timeUs, kMicrosecondsPerMillisecond));
    return time.toLocalTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString MarksModel::epochSeconds(std::int64_t timeUs)
{
    const std::int64_t seconds = floorDivide(timeUs, kMicrosecondsPerSecond);
    const std::int64_t fraction = timeUs - seconds * kMicrosecondsPerSecond;
    return QStringLiteral("%1.%2").arg(seconds).arg(fraction, 6, 10, QLatin1Char('0'));
}

QVariant MarksModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Mark& mark = m_shown[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole && index.column() == Time)
        return epochSeconds(mark.timeUs);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Number:
        return index.row() + 1;
    case Time:
        return timeOfDay(mark.timeUs);
    case Note:
        return QString::fromStdString(mark.note);
    default:
        return {};
    }
}

QVariant MarksModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Number:
        return QStringLiteral("#");
    case Time:
        return QStringLiteral("Time");
    case Note:
        return QStringLiteral("Note");
    default:
        return {};
    }
}

Qt::ItemFlags MarksModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() && index.column() == Note ? flags | Qt::ItemIsEditable : flags;
}

bool MarksModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != Note || index.row() >= rowCount())
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    m_ranking.setNote(row, value.toString().toStdString());
    m_shown[row].note = m_ranking.marks()[row].note;
    emit dataChanged(index, index);
    return true;
}

void MarksModel::removeMark(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_ranking.removeMark(static_cast<std::size_t>(row));
    m_shown.erase(m_shown.begin() + row);
    endRemoveRows();
    // Every row below was renumbered.
    if (row < rowCount())
        emit dataChanged(index(row, Number), index(rowCount() - 1, Number));
}

void MarksModel::refresh()
{
    const std::vector<Mark>& marks = m_ranking.marks();
    if (marks == m_shown)
        return;
    // Marks are taken at the end and removed anywhere; whatever else happened shows as the rows past
    // the common start going and the new ones coming.
    const auto [shownEnd, marksEnd] = std::mismatch(m_shown.begin(), m_shown.end(), marks.begin(), marks.end(),
                                                    [](const Mark& a, const Mark& b) { return a.timeUs == b.timeUs; });
    const auto kept = static_cast<int>(shownEnd - m_shown.begin());
    if (shownEnd != m_shown.end()) {
        beginRemoveRows({}, kept, rowCount() - 1);
        m_shown.erase(m_shown.begin() + kept, m_shown.end());
        endRemoveRows();
    }
    if (marksEnd != marks.end()) {
        beginInsertRows({}, kept, static_cast<int>(marks.size()) - 1);
        m_shown.insert(m_shown.end(), marksEnd, marks.end());
        endInsertRows();
    }
    // The notes of the rows kept may have been written elsewhere.
    if (kept > 0 && !std::equal(m_shown.begin(), m_shown.begin() + kept, marks.begin())) {
        std::copy(marks.begin(), marks.begin() + kept, m_shown.begin());
        emit dataChanged(index(0, Note), index(kept - 1, Note));
    }
}

} // namespace vexmoor
