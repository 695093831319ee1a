#include "views/IgnoreListModel.h"

#include "capture/record/IgnoreList.h"
#include "platform/CodePageText.h"

namespace vexmoor {

IgnoreListModel::IgnoreListModel(const IgnoreList& list, QObject* parent)
    : QAbstractListModel(parent)
    , m_list(list)
{
}

int IgnoreListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownEntries;
}

QVariant IgnoreListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_list.count())
        return {};
    return CodePageText::toQString(m_list.entry(index.row()));
}

void IgnoreListModel::refresh()
{
    const int entries = m_list.count();
    if (entries == m_shownEntries)
        return;
    if (entries < m_shownEntries) {
        // The list was emptied (entries are never removed one by one).
        beginResetModel();
        m_shownEntries = entries;
        endResetModel();
        return;
    }
    beginInsertRows({}, m_shownEntries, entries - 1);
    m_shownEntries = entries;
    endInsertRows();
}

} // namespace vexmoor
