#pragma once

#include <QStyledItemDelegate>

namespace vexmoor {

// Paints a bit of the bit grid as an ordinary cell (its value on the heat's tint) and, while its last
// flip fades, a frame in the flip's colour around it: the frame and the tint stay apart to the eye,
// and neither hides the digit. A defined signal's bits are outlined together in the signal's colour,
// and a run being dragged is shaded. A proposed field's kind is a band of its tint along the cell's
// foot, below the digit, and fields are parted by thin dashed lines that a signal's outline covers.
class BitCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kFlipFrameWidth = 3;
    static constexpr int kSignalOutlineWidth = 2;
    static constexpr int kFieldBandHeight = 5;

    using QStyledItemDelegate::QStyledItemDelegate;
    Q_DISABLE_COPY_MOVE(BitCellDelegate)

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static void paintFlip(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    static void paintField(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    static void paintSignalOutline(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
};

} // namespace vexmoor
