#include "views/SignalsPanel.h"

#include "views/SignalTreeModel.h"

#include <QHeaderView>
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
}

void SignalsPanel::showDatabase(const FrameDecoder* decoder)
{
    m_model->setDecoder(decoder);
    m_tree->expandAll();
    m_tree->resizeColumnToContents(SignalTreeModel::NameColumn);
}

} // namespace vexmoor
