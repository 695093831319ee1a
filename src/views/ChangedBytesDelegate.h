#pragma once

#include <QStyledItemDelegate>

namespace vexmoor {

// Paints the Data column byte by byte: each byte in a slot of its own, with the colour the model
// gives it laid over the row's background and, while a change fades, a small mark of its direction,
// so that up and down read apart without colour too.
class ChangedBytesDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    Q_DISABLE_COPY_MOVE(ChangedBytesDelegate)

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The width that shows eight bytes with their marks in the given font.
    static int columnWidth(const QFont& font);

private:
    struct Layout;
};

} // namespace vexmoor
