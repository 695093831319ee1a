#pragma once

#include <QPixmap>
#include <QTableView>

namespace vexmoor {

// The message table (ListView1): one row selected at a time, the columns at their widths in
// millimetres, and the banner drawn behind the rows.
class MessageTableView final : public QTableView {
    Q_OBJECT

public:
    explicit MessageTableView(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MessageTableView)

    void setModel(QAbstractItemModel* model) override;
    // The selected row counted from 1, or 0 when none is selected.
    int selectedPosition() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColumnWidths();

    QPixmap m_banner;
};

} // namespace vexmoor
