#include "views/SignalsPanel.h"

#include "views/SignalTreeModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeView>

namespace vexmoor {

SignalsPanel::SignalsPanel(const LatestSignalValues& values, const FramesClock& clock, QWidget* parent)
    : QDockWidget(QStringLiteral("Signals"), parent)
    , m_model(new SignalTreeModel(values, clock, this))
    , m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("dockSignals"));
    toggleViewAction()->setObjectName(QStringLiteral("mnuViewSignals"));
    m_tree->setObjectName(QStringLiteral("treeSignals"));
    m_tree->setModel(m_model);
    m_tree->setUniformRowHeights(true);
    m_tree->setAlternatingRowColors(true);
    m_tree->header()->setSectionResizeMode(QHeaderView::Interactive);
    setWidget(m_tree);
    buildContextMenu();
}

void SignalsPanel::buildContextMenu()
{
    m_contextMenu = new QMenu(this);
    m_add = m_contextMenu->addAction(QStringLiteral("Add Signal..."));
    m_add->setObjectName(QStringLiteral("mnuSignalsAdd"));
    m_edit = m_contextMenu->addAction(QStringLiteral("Edit Signal..."));
    m_edit->setObjectName(QStringLiteral("mnuSignalsEdit"));
    m_delete = m_contextMenu->addAction(QStringLiteral("Delete Signal"));
    m_delete->setObjectName(QStringLiteral("mnuSignalsDelete"));
    // The current row decides what each entry works on.
    auto rows = [this] {
        const QModelIndex current = m_tree->currentIndex();
        const QModelIndex message = current.parent().isValid() ? current.parent() : current;
        return std::pair { message.row(), current.parent().isValid() ? current.row() : -1 };
    };
    connect(m_add, &QAction::triggered, this, [this, rows] { emit addSignalRequested(rows().first); });
    connect(m_edit, &QAction::triggered, this, [this, rows] {
        const auto [message, signal] = rows();
        if (signal >= 0)
            emit editSignalRequested(message, signal);
    });
    connect(m_delete, &QAction::triggered, this, [this, rows] {
        const auto [message, signal] = rows();
        if (signal >= 0)
            emit deleteSignalRequested(message, signal);
    });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &SignalsPanel::openContextMenu);
}

void SignalsPanel::openContextMenu(const QPoint& position)
{
    const QModelIndex index = m_tree->indexAt(position);
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    const bool onSignal = index.parent().isValid();
    m_edit->setEnabled(onSignal);
    m_delete->setEnabled(onSignal);
    m_contextMenu->popup(m_tree->viewport()->mapToGlobal(position));
}

void SignalsPanel::showDatabase(const FrameDecoder* decoder)
{
    m_model->setDecoder(decoder);
    m_tree->expandAll();
    m_tree->resizeColumnToContents(SignalTreeModel::NameColumn);
}

} // namespace vexmoor
