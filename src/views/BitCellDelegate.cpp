#include "views/BitCellDelegate.h"

#include "views/BitGridModel.h"

#include <QPainter>

namespace vexmoor {

namespace {

// Darker than the grid's lines, lighter than a signal's outline.
const QColor kFieldBoundaryColor { 95, 95, 95 };

} // namespace

void BitCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    paintField(painter, option, index);
    paintFlip(painter, option, index);
    paintSignalOutline(painter, option, index);
    if (index.data(BitGridModel::DraggedRole).toBool()) {
        QColor shade = option.palette.color(QPalette::Highlight);
        shade.setAlphaF(0.35F);
        painter->fillRect(option.rect, shade);
    }
    painter->restore();
}

void BitCellDelegate::paintFlip(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const auto flip = index.data(BitGridModel::RecentFlipColorRole).value<QColor>();
    if (!flip.isValid())
        return;
    QPen pen(flip, kFlipFrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    // The pen straddles its line: half a width in keeps the whole frame inside the cell.
    const qreal inset = kFlipFrameWidth / 2.0;
    painter->drawRect(QRectF(option.rect).adjusted(inset, inset, -inset, -inset));
}

void BitCellDelegate::paintField(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QVariant kind = index.data(BitGridModel::FieldKindRole);
    if (!kind.isValid())
        return;
    const QRect cell = option.rect;
    painter->fillRect(QRect(cell.left(), cell.bottom() - kFieldBandHeight + 1, cell.width(), kFieldBandHeight),
                      BitGridModel::fieldKindColor(static_cast<FieldKind>(kind.toInt())));
    // Each boundary once: the cell on its left or above draws it, on its own right or bottom side.
    const int edges = index.data(BitGridModel::FieldEdgesRole).toInt();
    if ((edges & (BitGridModel::RightEdge | BitGridModel::BottomEdge)) == 0)
        return;
    QPen pen(kFieldBoundaryColor, 1, Qt::DashLine);
    pen.setCosmetic(true);
    painter->setPen(pen);
    if ((edges & BitGridModel::RightEdge) != 0)
        painter->drawLine(cell.topRight(), cell.bottomRight());
    if ((edges & BitGridModel::BottomEdge) != 0)
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
}

void BitCellDelegate::paintSignalOutline(QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index)
{
    // The outline runs along the cell's own border where the next cell is not the signal's, so that
    // a signal's bits read as one shape across bytes.
    const auto colour = index.data(BitGridModel::SignalColorRole).value<QColor>();
    const int edges = index.data(BitGridModel::SignalEdgesRole).toInt();
    if (!colour.isValid() || edges == 0)
        return;
    const QRect cell = option.rect;
    const int width = kSignalOutlineWidth;
    if ((edges & BitGridModel::LeftEdge) != 0)
        painter->fillRect(QRect(cell.left(), cell.top(), width, cell.height()), colour);
    if ((edges & BitGridModel::RightEdge) != 0)
        painter->fillRect(QRect(cell.right() - width + 1, cell.top(), width, cell.height()), colour);
    if ((edges & BitGridModel::TopEdge) != 0)
        painter->fillRect(QRect(cell.left(), cell.top(), cell.width(), width), colour);
    if ((edges & BitGridModel::BottomEdge) != 0)
        painter->fillRect(QRect(cell.left(), cell.bottom() - width + 1, cell.width(), width), colour);
}

} // namespace vexmoor
