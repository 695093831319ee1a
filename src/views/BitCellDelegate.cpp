#include "views/BitCellDelegate.h"

#include "views/BitGridModel.h"

#include <QPainter>

namespace vexmoor {

void BitCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const auto flip = index.data(BitGridModel::RecentFlipColorRole).value<QColor>();
    if (!flip.isValid())
        return;
    painter->save();
    QPen pen(flip, kFlipFrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    // The pen straddles its line: half a width in keeps the whole frame inside the cell.
    const qreal inset = kFlipFrameWidth / 2.0;
    painter->drawRect(QRectF(option.rect).adjusted(inset, inset, -inset, -inset));
    painter->restore();
}

} // namespace vexmoor
