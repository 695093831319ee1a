#include "views/BitViewPanel.h"

#include "views/BitCellDelegate.h"
#include "views/BitGridModel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include "capture/signals/SignalDraft.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

namespace vexmoor {

namespace {

constexpr int kBitColumnWidth = 30;
constexpr int kByteColumnWidth = 44;
constexpr int kRowHeight = 24;

} // namespace

BitViewPanel::BitViewPanel(const ChangeTracker& changes, const SuppressionMask& suppression, const FramesClock& clock,
                           QWidget* parent)
    : QDockWidget(QStringLiteral("Bit View"), parent)
    , m_model(new BitGridModel(changes, this))
    , m_heading(new QLabel(this))
    , m_grid(new QTableView(this))
{
    setObjectName(QStringLiteral("dockBitView"));
    m_model->setSuppression(&suppression);
    m_model->setClock(clock);
    m_heading->setObjectName(QStringLiteral("lblBitViewIdentifier"));
    buildGrid();

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(m_heading);
    layout->addWidget(m_grid, 1);
    setWidget(content);

    QAction* toggle = toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuViewBitView"));
    toggle->setText(QStringLiteral("Bit View"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));

    connect(&m_refreshTimer, &QTimer::timeout, m_model, &BitGridModel::refresh);
    showNothing();
}

void BitViewPanel::buildGrid()
{
    m_grid->setObjectName(QStringLiteral("tblBitGrid"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new BitCellDelegate(m_grid));
    // A click asks for a plot; a selection's highlight would only hide the colours of the cell.
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* columns = m_grid->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = BitGridModel::Bit7; column < BitGridModel::Count; ++column)
        columns->resizeSection(column, column < BitGridModel::Hex ? kBitColumnWidth : kByteColumnWidth);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    // The whole byte stays in sight beside a plot that would otherwise take the dock area's width:
    // room for the row titles ("Byte 7"), every column and the scroll bar of a long frame.
    const int rowTitles = m_grid->fontMetrics().horizontalAdvance(QStringLiteral("Byte 7")) + 16;
    m_grid->setMinimumWidth(rowTitles + 8 * kBitColumnWidth + 2 * kByteColumnWidth + 2 * m_grid->frameWidth()
                            + m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    connect(m_grid, &QTableView::clicked, this, &BitViewPanel::requestPlot);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QTableView::customContextMenuRequested, this, &BitViewPanel::openBitMenu);
    m_grid->viewport()->installEventFilter(this);
}

void BitViewPanel::showSignalsOf(const FrameDecoder* decoder)
{
    m_model->setSignals(decoder);
}

int BitViewPanel::bitAt(const QPoint& position) const
{
    const QModelIndex index = m_grid->indexAt(position);
    if (!index.isValid() || index.column() >= BitGridModel::Hex)
        return -1;
    return index.row() * 8 + (BitGridModel::Bit0 - index.column());
}

bool BitViewPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_grid->viewport())
        return QDockWidget::eventFilter(watched, event);
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    if (mouse == nullptr || !m_model->shownId())
        return false;
    // A click stays the plot's; only a press that moves on to another bit is a drag.
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
        m_pressedBit = bitAt(mouse->position().toPoint());
    else if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton) != 0)
        dragTo(bitAt(mouse->position().toPoint()));
    else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
        endDrag(bitAt(mouse->position().toPoint()));
    return false;
}

void BitViewPanel::dragTo(int position)
{
    if (m_pressedBit < 0 || position < 0)
        return;
    const std::optional<SignalDefinition> run = SignalDraft::draggedRun(m_pressedBit, position);
    m_model->setDraggedBits(position == m_pressedBit || !run ? std::vector<int> {} : SignalDraft::bitsOf(*run));
}

void BitViewPanel::endDrag(int position)
{
    const int pressed = std::exchange(m_pressedBit, -1);
    m_model->setDraggedBits({});
    const auto id = m_model->shownId();
    if (pressed < 0 || position < 0 || position == pressed || !id)
        return;
    if (const std::optional<SignalDefinition> run = SignalDraft::draggedRun(pressed, position))
        emit defineRequested(*id, m_model->shownExtended(), *run);
}

void BitViewPanel::openBitMenu(const QPoint& position)
{
    const int field = m_model->fieldAt(bitAt(position));
    if (field < 0)
        return;
    // A copy: the proposal may be made anew while the menu is open.
    const MessageAnatomy anatomy = *m_model->shownAnatomy();
    QMenu menu(this);
    QAction* accept = menu.addAction(QStringLiteral("Accept as Signal"));
    accept->setObjectName(QStringLiteral("mnuBitAcceptField"));
    QAction* acceptAll = menu.addAction(QStringLiteral("Accept All"));
    acceptAll->setObjectName(QStringLiteral("mnuBitAcceptAllFields"));
    QAction* chosen = menu.exec(m_grid->viewport()->mapToGlobal(position));
    if (chosen == accept)
        emit acceptRequested(anatomy, { field });
    else if (chosen == acceptAll)
        emit acceptAllRequested(anatomy);
}

void BitViewPanel::follow(const MessageTableView& view, const MessageTableModel& model)
{
    // The selection rather than the current row: "Find" selects a row without making it current.
    connect(view.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, &view, &model] {
        const int row = view.selectedPosition() - 1;
        const auto identifier = model.identifierOfRow(row);
        if (!identifier) {
            showNothing();
            return;
        }
        const auto keyColumn = static_cast<int>(MessageColumn::CanId);
        showIdentifier(*identifier, model.index(row, keyColumn).data().toString());
    });
}

void BitViewPanel::showIdentifier(const MessageTableModel::TrackedIdentifier& identifier, const QString& key)
{
    m_busName = identifier.busName;
    m_heading->setText(m_busName.isEmpty() ? QStringLiteral("CAN_ID %1").arg(key)
                                           : QStringLiteral("CAN_ID %1 on %2").arg(key, m_busName));
    m_model->showIdentifier(identifier.id, identifier.extended, identifier.bus);
}

void BitViewPanel::showNothing()
{
    m_heading->setText(QStringLiteral("Select a row to see its bits."));
    m_model->showNothing();
}

void BitViewPanel::requestPlot(const QModelIndex& index)
{
    const auto id = m_model->shownId();
    if (!index.isValid() || !id)
        return;
    const bool extended = m_model->shownExtended();
    const int byte = index.row();
    const auto onShownBus
        = [this](const PlotSignal& signal) { return signal.onBus(m_model->shownBus(), m_busName.toStdString()); };
    if (index.column() < BitGridModel::Hex)
        emit plotRequested(onShownBus(PlotSignal::ofBit(*id, extended, byte, BitGridModel::Bit0 - index.column())));
    else
        emit plotRequested(onShownBus(PlotSignal::ofBytes(*id, extended, byte)));
}

void BitViewPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    // What happened while hidden is shown at once, not a tick later.
    m_model->refresh();
    m_refreshTimer.start(MessageTableModel::kRefreshIntervalMs);
}

void BitViewPanel::hideEvent(QHideEvent* event)
{
    QDockWidget::hideEvent(event);
    m_refreshTimer.stop();
}

} // namespace vexmoor
