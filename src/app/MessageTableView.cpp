#include "app/MessageTableView.h"

#include "app/Artwork.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <array>
#include <cmath>

namespace vexmoor {

namespace {

constexpr std::array<double, 8> kColumnWidthsMm = { 25.40, 52.92, 17.64, 17.64, 25.40, 61.74, 52.92, 25.40 };

} // namespace

MessageTableView::MessageTableView(QWidget* parent)
    : QTableView(parent)
    , m_banner(Artwork::tableBanner())
{
    setObjectName(QStringLiteral("ListView1"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // Rows of one height let the view place any row without asking for its contents.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void MessageTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    applyColumnWidths();
}

int MessageTableView::selectedPosition() const
{
    const auto rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void MessageTableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit tableDoubleClicked();
}

void MessageTableView::applyColumnWidths()
{
    const double dpi = logicalDpiX();
    for (std::size_t column = 0; column < kColumnWidthsMm.size(); ++column)
        setColumnWidth(static_cast<int>(column), static_cast<int>(std::lround(kColumnWidthsMm[column] / 25.4 * dpi)));
}

void MessageTableView::paintEvent(QPaintEvent* event)
{
    {
        // The banner sits in the lower left corner, in the room the rows leave free: text drawn over
        // it would be unreadable.
        QPainter painter(viewport());
        const int rows = model() ? model()->rowCount() : 0;
        const int rowsBottom = rows == 0 ? 0 : rowViewportPosition(rows - 1) + rowHeight(rows - 1);
        if (rowsBottom >= 0)
            painter.setClipRect(QRect(0, rowsBottom, viewport()->width(), viewport()->height() - rowsBottom));
        painter.drawPixmap(0, viewport()->height() - m_banner.height(), m_banner);
    }
    QTableView::paintEvent(event);
}

} // namespace vexmoor
