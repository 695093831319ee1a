#include "views/MessageTableView.h"

#include "views/Artwork.h"
#include "views/ChangedBytesDelegate.h"
#include "views/MessageTableModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>

#include <algorithm>
#include <array>
#include <cmath>

namespace vexmoor {

namespace {

constexpr std::array<double, 8> kColumnWidthsMm = { 25.40, 52.92, 17.64, 17.64, 25.40, 61.74, 52.92, 25.40 };
constexpr double kPeriodWidthMm = 22.0;
constexpr double kRateWidthMm = 20.0;
constexpr double kDbcMessageWidthMm = 40.0;
constexpr int kHintMarginPx = 12;

// The columns that can be hidden, with the setting that remembers each and its entry's objectName.
struct OptionalColumn {
    int column;
    const char* setting;
    const char* actionName;
};
constexpr std::array<OptionalColumn, 4> kOptionalColumns = { {
    { MessageTableModel::kDataColumn, "messageTable/showData", "mnuColumnData" },
    { MessageTableModel::kPeriodColumn, "messageTable/showPeriod", "mnuColumnPeriod" },
    { MessageTableModel::kRateColumn, "messageTable/showRate", "mnuColumnRate" },
    { MessageTableModel::kDbcMessageColumn, "messageTable/showDbcMessage", "mnuColumnDbcMessage" },
} };

int pixels(double millimetres, double dpi)
{
    return static_cast<int>(std::lround(millimetres / 25.4 * dpi));
}

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
    setItemDelegateForColumn(MessageTableModel::kDataColumn, new ChangedBytesDelegate(this));
    buildColumnMenu();
}

void MessageTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    applyColumnWidths();
    // The application's settings: the program names them, and each test run keeps its own.
    const QSettings remembered;
    for (QAction* entry : m_columnMenu->actions()) {
        const OptionalColumn& optional = kOptionalColumns.at(static_cast<std::size_t>(entry->data().toInt()));
        const bool shown = remembered.value(QString::fromLatin1(optional.setting), true).toBool();
        entry->setText(model != nullptr ? model->headerData(optional.column, Qt::Horizontal).toString() : QString());
        entry->setChecked(shown);
        setColumnHidden(optional.column, !shown);
    }
    setColumnHidden(MessageTableModel::kBusColumn, !m_busColumnShown);
}

void MessageTableView::setBusColumnShown(bool shown)
{
    m_busColumnShown = shown;
    setColumnHidden(MessageTableModel::kBusColumn, !shown);
}

void MessageTableView::buildColumnMenu()
{
    m_columnMenu = new QMenu(this);
    m_columnMenu->setObjectName(QStringLiteral("mnuTableColumns"));
    for (std::size_t entryIndex = 0; entryIndex < kOptionalColumns.size(); ++entryIndex) {
        const OptionalColumn& optional = kOptionalColumns[entryIndex];
        QAction* entry = m_columnMenu->addAction(QString());
        entry->setObjectName(QString::fromLatin1(optional.actionName));
        entry->setData(static_cast<int>(entryIndex));
        entry->setCheckable(true);
        entry->setChecked(true);
        connect(entry, &QAction::toggled, this,
                [this, column = optional.column](bool shown) { showColumn(column, shown); });
    }
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& position) { m_columnMenu->popup(horizontalHeader()->mapToGlobal(position)); });
}

void MessageTableView::showColumn(int column, bool shown)
{
    setColumnHidden(column, !shown);
    for (const OptionalColumn& optional : kOptionalColumns) {
        if (optional.column == column)
            QSettings().setValue(QString::fromLatin1(optional.setting), shown);
    }
}

QStringList MessageTableView::hiddenColumnTitles() const
{
    QStringList titles;
    for (QAction* entry : m_columnMenu->actions()) {
        if (!entry->isChecked())
            titles.append(entry->text());
    }
    return titles;
}

void MessageTableView::hideColumnsTitled(const QStringList& titles)
{
    for (QAction* entry : m_columnMenu->actions())
        entry->setChecked(!titles.contains(entry->text()));
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
        setColumnWidth(static_cast<int>(column), pixels(kColumnWidthsMm[column], dpi));
    setColumnWidth(MessageTableModel::kDataColumn, ChangedBytesDelegate::columnWidth(font()));
    setColumnWidth(MessageTableModel::kPeriodColumn, pixels(kPeriodWidthMm, dpi));
    setColumnWidth(MessageTableModel::kRateColumn, pixels(kRateWidthMm, dpi));
    setColumnWidth(MessageTableModel::kDbcMessageColumn, pixels(kDbcMessageWidthMm, dpi));
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
    m_hintShown = model() == nullptr || model()->rowCount() == 0;
    if (m_hintShown)
        paintEmptyHint();
}

void MessageTableView::paintEmptyHint()
{
    // A newcomer sees an empty table first: it names the three ways frames come in. Above the banner,
    // where the first rows will stand.
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int room = std::max(viewport()->height() - m_banner.height(), 3 * fontMetrics().height());
    painter.drawText(QRect(0, 0, viewport()->width(), room).adjusted(kHintMarginPx, 0, -kHintMarginPx, 0),
                     Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("No frames yet: File > Open Log..., Tools > Connect to CAN Interface..., or "
                                    "Emulator > Interiour Controls"));
}

void MessageTableView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    // The first row repaints only its own strip: the hint below it would stay.
    if (m_hintShown)
        viewport()->update();
}

void MessageTableView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    QTableView::rowsAboutToBeRemoved(parent, start, end);
    // The last rows going leave the room to the hint, painted once they are gone.
    if (start == 0 && end + 1 == model()->rowCount(parent))
        viewport()->update();
}

} // namespace vexmoor
