#include "dialogs/DeviceListModel.h"

namespace vexmoor {

void DeviceListModel::setEntries(QList<Entry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int DeviceListModel::rowOf(const QString& value) const
{
    for (qsizetype row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).value == value)
            return static_cast<int>(row);
    }
    return -1;
}

int DeviceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const Entry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.label;
    case Qt::EditRole:
        return entry.value;
    default:
        return {};
    }
}

} // namespace vexmoor
