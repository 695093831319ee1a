#include "app/RowsPerBusControls.h"

#include "capture/record/BusNames.h"
#include "control/CaptureController.h"
#include "platform/FileChooser.h"
#include "platform/UserMessageBox.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QMenu>

namespace vexmoor {

namespace {

const QString kEveryBus = QStringLiteral("Every bus");

// Where a new entry goes: after the DBC entries, before the session's.
QAction* entryAfterDbc(QMenu& fileMenu)
{
    for (QAction* action : fileMenu.actions()) {
        if (action->objectName() == QStringLiteral("sepSession"))
            return action;
    }
    return nullptr;
}

} // namespace

RowsPerBusControls::RowsPerBusControls(QMenu& viewMenu, QMenu& fileMenu, CaptureController& controller,
                                       MessageTableView& view, UserMessageBox& messageBox,
                                       std::function<FileChooser&()> fileChooser, QWidget& window)
    : QObject(&window)
    , m_controller(controller)
    , m_messageBox(messageBox)
    , m_fileChooser(std::move(fileChooser))
    , m_window(window)
    , m_rowsPerBus(new QAction(QStringLiteral("Rows per Bus"), this))
{
    setObjectName(QStringLiteral("rowsPerBusControls"));
    // The view may show the table through a filter.
    QAbstractItemModel* shown = view.model();
    if (auto* proxy = qobject_cast<QAbstractProxyModel*>(shown))
        shown = proxy->sourceModel();
    if (auto* model = qobject_cast<MessageTableModel*>(shown))
        model->setBusNames(&controller.session().ingestion().buses());
    viewMenu.addSeparator()->setObjectName(QStringLiteral("sepRowsPerBus"));
    m_rowsPerBus->setObjectName(QStringLiteral("mnuViewRowsPerBus"));
    m_rowsPerBus->setCheckable(true);
    viewMenu.addAction(m_rowsPerBus);
    connect(m_rowsPerBus, &QAction::triggered, this, [this](bool on) {
        if (!switchRowsPerBus(m_controller, m_messageBox, on))
            m_rowsPerBus->setChecked(!on);
    });
    connect(&controller, &CaptureController::rowsPerBusChanged, this, [this, &view](bool on) {
        m_rowsPerBus->setChecked(on);
        view.setBusColumnShown(on);
    });

    auto* dbcBus = new QAction(QStringLiteral("DBC Bus..."), this);
    dbcBus->setObjectName(QStringLiteral("mnuFileDbcBus"));
    fileMenu.insertAction(entryAfterDbc(fileMenu), dbcBus);
    connect(dbcBus, &QAction::triggered, this, &RowsPerBusControls::chooseDbcBus);
}

bool RowsPerBusControls::switchRowsPerBus(CaptureController& controller, UserMessageBox& messageBox, bool on)
{
    if (on == controller.rowsPerBus())
        return true;
    const QString question = on ? QStringLiteral("A row per bus and identifier keys the rows anew: the table is "
                                                 "cleared. Clear it and keep a row per bus?")
                                : QStringLiteral("One row per identifier merges the buses' rows: the table is "
                                                 "cleared. Clear it and merge the buses?");
    if (controller.session().table().rowCount() > 0
        && !messageBox.askYesNo(question, QStringLiteral("Rows per Bus"), true))
        return false;
    controller.setRowsPerBus(on);
    return true;
}

void RowsPerBusControls::chooseDbcBus()
{
    // The buses open now, then those frames came from (a replayed log's).
    QStringList buses = m_controller.busNames();
    const BusNames& seen = m_controller.session().ingestion().buses();
    for (std::size_t number = 1; number <= seen.size(); ++number) {
        const QString name = QString::fromStdString(seen.nameOf(static_cast<std::uint8_t>(number)));
        if (!buses.contains(name))
            buses.append(name);
    }
    const QString current = m_controller.dbcBus();
    if (!current.isEmpty() && !buses.contains(current))
        buses.append(current);
    const QString chosen = m_fileChooser().choice(&m_window, QStringLiteral("DBC Bus"),
                                                  QStringLiteral("The DBC file decodes the frames of:"),
                                                  QStringList { kEveryBus } + buses);
    if (chosen.isEmpty())
        return;
    m_controller.setDbcBus(chosen == kEveryBus ? QString() : chosen);
}

} // namespace vexmoor
