#include "views/ChangedBytesDelegate.h"

#include "capture/record/CanFrame.h"
#include "views/MessageTableModel.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace vexmoor {

namespace {

constexpr int kPadding = 3;
constexpr int kSlotGap = 2;

QFont markFont(const QFont& font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.6 : 6);
    return small;
}

} // namespace

// One byte's slot: the two digits, then the room of a mark.
struct ChangedBytesDelegate::Layout {
    explicit Layout(const QFont& font)
        : digitsWidth(QFontMetrics(font).horizontalAdvance(QStringLiteral("FF")))
        , markWidth(QFontMetrics(markFont(font)).horizontalAdvance(MessageTableModel::kUpMark))
    {
    }

    int slotWidth() const { return digitsWidth + markWidth + 2 * kSlotGap + 1; }

    int digitsWidth;
    int markWidth;
};

int ChangedBytesDelegate::columnWidth(const QFont& font)
{
    return 2 * kPadding + CanFrame::kMaxClassicLength * (Layout(font).slotWidth() + kSlotGap);
}

QSize ChangedBytesDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(columnWidth(option.font));
    return size;
}

void ChangedBytesDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The row's own background and selection first, without the text: the bytes are drawn here.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const QString text = index.data(Qt::DisplayRole).toString();
    const QVariantList colours = index.data(MessageTableModel::ByteBackgroundsRole).toList();
    const QStringList marks = index.data(MessageTableModel::ByteMarksRole).toStringList();
    const QStringList bytes = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const Layout layout(option.font);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QColor textColour = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setClipRect(option.rect);
    QRect slot(option.rect.left() + kPadding, option.rect.top() + 1, layout.slotWidth(), option.rect.height() - 2);
    // A CAN FD frame's bytes past the column's width end in an ellipsis; the tooltip has them all.
    const qsizetype fitting
        = std::max<qsizetype>(1, (option.rect.width() - kPadding) / (layout.slotWidth() + kSlotGap));
    const qsizetype shown = bytes.size() > fitting ? fitting - 1 : bytes.size();
    for (qsizetype byte = 0; byte < shown; ++byte) {
        if (byte < colours.size()) {
            if (const QColor colour = colours[byte].value<QColor>(); colour.isValid())
                painter->fillRect(slot, colour);
        }
        painter->setPen(textColour);
        painter->setFont(option.font);
        const QRect digits(slot.left() + kSlotGap, slot.top(), layout.digitsWidth, slot.height());
        painter->drawText(digits, Qt::AlignCenter, bytes[byte]);
        if (byte < marks.size() && !marks[byte].isEmpty()) {
            painter->setFont(markFont(option.font));
            // Up sits high and down sits low, so that the two differ in place as well as in shape.
            const Qt::Alignment place = marks[byte] == MessageTableModel::kUpMark ? Qt::AlignTop : Qt::AlignBottom;
            painter->drawText(QRect(digits.right() + 1, slot.top(), layout.markWidth + kSlotGap, slot.height()),
                              place | Qt::AlignHCenter, marks[byte]);
        }
        slot.translate(layout.slotWidth() + kSlotGap, 0);
    }
    if (shown < bytes.size()) {
        painter->setPen(textColour);
        painter->setFont(option.font);
        painter->drawText(slot, Qt::AlignCenter, QStringLiteral("\u2026"));
    }
    painter->restore();
}

} // namespace vexmoor
