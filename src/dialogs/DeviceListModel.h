#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace vexmoor {

// The devices an editable combo box offers. The list shows each with a label ("1 — /dev/ttyACM0")
// while choosing one puts only its value ("1") in the box, since an editable combo box takes its
// text from the edit role and its list from the display role.
class DeviceListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    struct Entry {
        QString value;
        QString label;
    };

    using QAbstractListModel::QAbstractListModel;

    void setEntries(QList<Entry> entries);
    // The row whose value is the text, -1 when there is none.
    int rowOf(const QString& value) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<Entry> m_entries;
};

} // namespace vexmoor
