#include "views/CandidatesModel.h"

#include "capture/record/BusNames.h"
#include "capture/record/RecordText.h"

#include <algorithm>
#include <string>

namespace vexmoor {

CandidatesModel::CandidatesModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int CandidatesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_candidates.size());
}

int CandidatesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count;
}

const RankedBit* CandidatesModel::candidate(int row) const
{
    return row >= 0 && row < rowCount() ? &m_candidates[static_cast<std::size_t>(row)] : nullptr;
}

QVariant CandidatesModel::data(const QModelIndex& index, int role) const
{
    const RankedBit* ranked = candidate(index.row());
    if (ranked == nullptr || !index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == CanId || index.column() == Bus ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                                : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return text(*ranked, index.row(), index.column());
}

QVariant CandidatesModel::text(const RankedBit& candidate, int row, int column) const
{
    switch (column) {
    case Rank:
        return row + 1;
    case CanId: {
        std::string hexId;
        record::formatHexId(candidate.id, candidate.extended, hexId);
        return QString::fromStdString(hexId);
    }
    case Byte:
        return candidate.byte;
    case Bit:
        return candidate.bit;
    case MarksHit:
        return QStringLiteral("%1/%2").arg(candidate.marksHit).arg(candidate.marks);
    case FlipsElsewhere:
        return QVariant::fromValue(static_cast<qulonglong>(candidate.changesElsewhere));
    case Score:
        return QString::number(candidate.score, 'f', 2);
    case Bus:
        return busName(candidate);
    default:
        return {};
    }
}

QVariant CandidatesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Rank:
        return QStringLiteral("Rank");
    case CanId:
        return QStringLiteral("CAN_ID");
    case Byte:
        return QStringLiteral("Byte");
    case Bit:
        return QStringLiteral("Bit");
    case MarksHit:
        return QStringLiteral("Marks Hit");
    case FlipsElsewhere:
        return QStringLiteral("Flips Elsewhere");
    case Score:
        return QStringLiteral("Score");
    case Bus:
        return QStringLiteral("Bus");
    default:
        return {};
    }
}

QString CandidatesModel::busName(const RankedBit& candidate) const
{
    return m_buses != nullptr && candidate.bus != 0 ? QString::fromStdString(m_buses->nameOf(candidate.bus))
                                                    : QString();
}

void CandidatesModel::setCandidates(std::vector<RankedBit> candidates)
{
    const int before = rowCount();
    const auto after = static_cast<int>(candidates.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_candidates.resize(candidates.size());
        endRemoveRows();
    }
    const int kept = std::min(before, after);
    if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_candidates = std::move(candidates);
        endInsertRows();
    } else {
        m_candidates = std::move(candidates);
    }
    if (kept > 0)
        emit dataChanged(index(0, 0), index(kept - 1, Count - 1));
}

} // namespace vexmoor
