#include "app/DbcControls.h"

#include "control/DbcDocument.h"
#include "platform/FileChooser.h"
#include "platform/UserMessageBox.h"
#include "views/MessageTableModel.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace vexmoor {

namespace {

const QString kFilter = QStringLiteral("DBC files (*.dbc);;All files (*)");

} // namespace

DbcControls::DbcControls(QMenu& fileMenu, QStatusBar& statusBar, DbcDocument& document, MessageTableModel& table,
                         UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser, QWidget& window)
    : QObject(&window)
    , m_document(document)
    , m_table(table)
    , m_messageBox(messageBox)
    , m_fileChooser(std::move(fileChooser))
    , m_window(window)
    , m_status(new QLabel(&statusBar))
{
    setObjectName(QStringLiteral("dbcControls"));
    fileMenu.addSeparator()->setObjectName(QStringLiteral("sepDbc"));
    connect(addAction(fileMenu, "mnuFileOpenDbc", QStringLiteral("Open DBC...")), &QAction::triggered, this,
            &DbcControls::openDbc);
    m_save = addAction(fileMenu, "mnuFileSaveDbc", QStringLiteral("Save DBC"));
    m_saveAs = addAction(fileMenu, "mnuFileSaveDbcAs", QStringLiteral("Save DBC As..."));
    m_close = addAction(fileMenu, "mnuFileCloseDbc", QStringLiteral("Close DBC"));
    connect(m_save, &QAction::triggered, this, &DbcControls::saveDbc);
    connect(m_saveAs, &QAction::triggered, this, &DbcControls::saveDbcAs);
    connect(m_close, &QAction::triggered, this, &DbcControls::closeDbc);
    m_status->setObjectName(QStringLiteral("statusDbc"));
    statusBar.addWidget(m_status);
    connect(&m_document, &DbcDocument::changed, this, &DbcControls::showState);
    showState();
}

QAction* DbcControls::addAction(QMenu& menu, const char* name, const QString& caption)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QString DbcControls::statusText(const QString& fileName, bool modified)
{
    return QStringLiteral("DBC: %1%2").arg(fileName, modified ? QStringLiteral(" *") : QString());
}

void DbcControls::openDbc()
{
    const QString title = QStringLiteral("Open DBC");
    if (!offerToSave(title))
        return;
    const QString path = m_fileChooser().fileToOpen(&m_window, title, kFilter);
    if (path.isEmpty())
        return;
    // A file with an error is refused whole: the database open before stays.
    if (const QString error = m_document.open(path); !error.isEmpty())
        m_messageBox.show(error, title, UserMessageBox::Icon::Error);
}

void DbcControls::saveDbc()
{
    // A database begun here has no file yet.
    if (m_document.path().isEmpty()) {
        saveDbcAs();
        return;
    }
    if (const QString error = m_document.save(); !error.isEmpty())
        m_messageBox.show(error, QStringLiteral("Save DBC"), UserMessageBox::Icon::Error);
}

void DbcControls::saveDbcAs()
{
    const QString title = QStringLiteral("Save DBC As");
    const QString path = m_fileChooser().fileToSave(&m_window, title, kFilter);
    if (path.isEmpty())
        return;
    if (const QString error = m_document.saveAs(path); !error.isEmpty())
        m_messageBox.show(error, title, UserMessageBox::Icon::Error);
}

void DbcControls::closeDbc()
{
    if (offerToSave(QStringLiteral("Close DBC")))
        m_document.close();
}

bool DbcControls::offerToSave(const QString& title)
{
    if (!m_document.isOpen() || !m_document.isModified())
        return true;
    const QString name
        = m_document.path().isEmpty() ? QStringLiteral("untitled.dbc") : QFileInfo(m_document.path()).fileName();
    if (!m_messageBox.askYesNo(QStringLiteral("Save the changes to %1 first?").arg(name), title, true))
        return true;
    if (m_document.path().isEmpty()) {
        saveDbcAs();
        return !m_document.isModified();
    }
    const QString error = m_document.save();
    if (!error.isEmpty())
        m_messageBox.show(error, title, UserMessageBox::Icon::Error);
    return error.isEmpty();
}

void DbcControls::showState()
{
    const bool open = m_document.isOpen();
    m_table.setSignalDatabase(m_document.database());
    for (QAction* action : { m_save, m_saveAs, m_close })
        action->setEnabled(open);
    m_status->setVisible(open);
    if (!open) {
        m_status->clear();
        return;
    }
    const QFileInfo file(m_document.path());
    QString text = statusText(m_document.path().isEmpty() ? QStringLiteral("untitled.dbc") : file.fileName(),
                              m_document.isModified());
    // A session brings its database's text along: the file it names may not be on this machine.
    if (!m_document.path().isEmpty() && !file.exists())
        text += QStringLiteral(" (the file is missing: the session's copy is in use)");
    m_status->setText(text);
    m_status->setToolTip(file.absoluteFilePath());
}

} // namespace vexmoor
