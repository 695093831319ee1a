#include "app/ChangedRowsFilter.h"

#include "app/SuppressionControls.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace vexmoor {

ChangedRowsFilter::ChangedRowsFilter(QMenu& viewMenu, QStatusBar& statusBar, MessageTableView& view,
                                     MessageTableModel& model, const SuppressionControls& suppression, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_model(model)
    , m_suppression(suppression)
    , m_action(new QAction(QStringLiteral("Only Rows With Unsuppressed Changes"), this))
    , m_status(new QLabel(&statusBar))
{
    m_action->setObjectName(QStringLiteral("mnuViewOnlyChangedRows"));
    m_action->setCheckable(true);
    m_action->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    viewMenu.addAction(m_action);
    m_status->setObjectName(QStringLiteral("statusRowFilter"));
    m_status->hide();
    statusBar.addWidget(m_status);

    m_timer.setInterval(kUpdateIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ChangedRowsFilter::update);
    connect(m_action, &QAction::toggled, this, &ChangedRowsFilter::setOn);
}

bool ChangedRowsFilter::isOn() const
{
    return m_action->isChecked();
}

void ChangedRowsFilter::setOn(bool on)
{
    m_action->setChecked(on);
    if (on) {
        update();
        m_timer.start();
    } else {
        m_timer.stop();
        showEveryRow();
    }
}

void ChangedRowsFilter::update()
{
    const int rows = m_model.rowCount();
    const std::int64_t nowUs = m_model.shownNowUs();
    int shown = 0;
    for (int row = 0; row < rows; ++row) {
        const IdentifierChanges* changes = m_model.changesOfRow(row);
        const bool changed
            = changes != nullptr && m_suppression.mask().changedOutside(*changes, nowUs, m_suppression.windowUs());
        // Only a row whose state moved is told to the view: hiding is a layout change there.
        if (m_view.isRowHidden(row) == changed)
            m_view.setRowHidden(row, !changed);
        shown += changed ? 1 : 0;
    }
    m_status->setText(QStringLiteral("Showing %1 of %2 rows: those with unsuppressed changes").arg(shown).arg(rows));
    m_status->show();
}

void ChangedRowsFilter::showEveryRow()
{
    for (int row = 0; row < m_model.rowCount(); ++row) {
        if (m_view.isRowHidden(row))
            m_view.setRowHidden(row, false);
    }
    m_status->hide();
}

} // namespace vexmoor
