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

QAction* SignalsPanel::addEntry(const QString& text, const char* objectName)
{
    QAction* entry = m_contextMenu->addAction(text);
    entry->setObjectName(QString::fromLatin1(objectName));
    return entry;
}

std::pair<int, int> SignalsPanel::currentRows() const
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return { -1, -1 };
    const QModelIndex message = current.parent().isValid() ? current.parent() : current;
    return { message.row(), current.parent().isValid() ? current.row() : -1 };
}

void SignalsPanel::buildContextMenu()
{
    m_contextMenu = new QMenu(this);
    m_add = addEntry(QStringLiteral("Add Signal..."), "mnuSignalsAdd");
    m_edit = addEntry(QStringLiteral("Edit Signal..."), "mnuSignalsEdit");
    m_delete = addEntry(QStringLiteral("Delete Signal"), "mnuSignalsDelete");
    m_contextMenu->addSeparator();
    QAction* addMessage = addEntry(QStringLiteral("Add Message..."), "mnuSignalsAddMessage");
    m_editMessage = addEntry(QStringLiteral("Edit Message..."), "mnuSignalsEditMessage");
    m_deleteMessage = addEntry(QStringLiteral("Delete Message"), "mnuSignalsDeleteMessage");
    m_contextMenu->addSeparator();
    m_plot = addEntry(QStringLiteral("Plot Signal"), "mnuSignalsPlot");
    // The current row decides what each entry works on.
    connect(m_add, &QAction::triggered, this, [this] {
        if (currentRows().first >= 0)
            emit addSignalRequested(currentRows().first);
    });
    const auto onSignal = [this](void (SignalsPanel::*request)(int, int)) {
        return [this, request] {
            const auto [message, signal] = currentRows();
            if (signal >= 0)
                emit(this->*request)(message, signal);
        };
    };
    connect(m_edit, &QAction::triggered, this, onSignal(&SignalsPanel::editSignalRequested));
    connect(m_delete, &QAction::triggered, this, onSignal(&SignalsPanel::deleteSignalRequested));
    connect(m_plot, &QAction::triggered, this, onSignal(&SignalsPanel::plotRequested));
    connect(addMessage, &QAction::triggered, this, &SignalsPanel::addMessageRequested);
    connect(m_editMessage, &QAction::triggered, this, [this] {
        if (currentRows().first >= 0)
            emit editMessageRequested(currentRows().first);
    });
    connect(m_deleteMessage, &QAction::triggered, this, [this] {
        if (currentRows().first >= 0)
            emit deleteMessageRequested(currentRows().first);
    });
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.parent().isValid())
            emit plotRequested(index.parent().row(), index.row());
    });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &SignalsPanel::openContextMenu);
}

void SignalsPanel::openContextMenu(const QPoint& position)
{
    // Off the rows only a message can be added: one of a new database, or of the open one.
    const QModelIndex index = m_tree->indexAt(position);
    if (index.isValid())
        m_tree->setCurrentIndex(index);
    else
        m_tree->setCurrentIndex({});
    const bool onSignal = index.parent().isValid();
    m_add->setEnabled(index.isValid());
    m_edit->setEnabled(onSignal);
    m_delete->setEnabled(onSignal);
    m_plot->setEnabled(onSignal);
    m_editMessage->setEnabled(index.isValid());
    m_deleteMessage->setEnabled(index.isValid());
    m_contextMenu->popup(m_tree->viewport()->mapToGlobal(position));
}

void SignalsPanel::showDatabase(const FrameDecoder* decoder)
{
    m_model->setDecoder(decoder);
    m_tree->expandAll();
    m_tree->resizeColumnToContents(SignalTreeModel::NameColumn);
}

} // namespace vexmoor
