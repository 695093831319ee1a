#pragma once

#include <QAbstractListModel>

namespace vexmoor {

class IgnoreList;

// An ignore list as a list box shows it. Entries are appended by ingestion's neighbours (the purge,
// the notes window) at any time; the list box learns of them at its next refresh.
class IgnoreListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit IgnoreListModel(const IgnoreList& list, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IgnoreListModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void refresh();

private:
    const IgnoreList& m_list;
    int m_shownEntries = 0;
};

} // namespace vexmoor
