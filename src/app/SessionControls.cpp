#include "app/SessionControls.h"

#include "app/frmMain.h"
#include "capture/session/SessionFile.h"
#include "control/CaptureController.h"
#include "platform/FileChooser.h"
#include "platform/OutputFile.h"
#include "platform/UserMessageBox.h"
#include "platform/WallClock.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusBar>

namespace vexmoor {

namespace {

const QString kFilter = QStringLiteral("Vexmoor sessions (*.vexmoor);;All files (*)");

} // namespace

SessionControls::SessionControls(frmMain& window, QMenu& fileMenu, UserMessageBox& messageBox,
                                 std::function<FileChooser&()> fileChooser)
    : QObject(&window)
    , m_window(window)
    , m_document(window.controller().sessionDocument())
    , m_messageBox(messageBox)
    , m_fileChooser(std::move(fileChooser))
    , m_status(new QLabel(&window))
    , m_recoveryFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
{
    setObjectName(QStringLiteral("sessionControls"));
    fileMenu.addSeparator()->setObjectName(QStringLiteral("sepSession"));
    connect(addAction(fileMenu, "mnuFileOpenSession", QStringLiteral("Open Session...")), &QAction::triggered, this,
            &SessionControls::askToOpen);
    connect(addAction(fileMenu, "mnuFileSaveSession", QStringLiteral("Save Session")), &QAction::triggered, this,
            &SessionControls::save);
    connect(addAction(fileMenu, "mnuFileSaveSessionAs", QStringLiteral("Save Session As...")), &QAction::triggered,
            this, &SessionControls::saveAs);
    m_recentMenu = fileMenu.addMenu(QStringLiteral("Recent Sessions"));
    m_recentMenu->setObjectName(QStringLiteral("mnuFileRecentSessions"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &SessionControls::fillRecentMenu);
    m_restore = addAction(fileMenu, "mnuFileRestoreSession", QStringLiteral("Restore Last Session"));
    connect(m_restore, &QAction::triggered, this, &SessionControls::restoreLastRun);
    m_status->setObjectName(QStringLiteral("statusSession"));
    window.statusBar()->addWidget(m_status);
    keepWindowInSessions();
    connect(&m_document, &SessionDocument::changed, this, &SessionControls::showState);

    // The run before left its recovery file: kept aside for "Restore Last Session", out of this run's way.
    if (QFile::exists(recoveryPath())) {
        QFile::remove(lastRunPath());
        QFile::rename(recoveryPath(), lastRunPath());
    }
    m_clock.start();
    connect(&m_tick, &QTimer::timeout, this, [this] { checkForChanges(m_clock.elapsed()); });
    m_tick.start(static_cast<int>(kSettleMs));
    showState();
}

QAction* SessionControls::addAction(QMenu& menu, const char* name, const QString& caption)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void SessionControls::keepWindowInSessions()
{
    MessageTableView& table = m_window.tableView();
    const auto save = [this, &table](SessionState& state) {
        for (const QString& title : table.hiddenColumnTitles())
            state.hiddenColumns.push_back(title.toStdString());
        state.windowGeometry = m_window.saveGeometry().toBase64().toStdString();
        state.windowState = m_window.saveState().toBase64().toStdString();
    };
    const auto restore = [this, &table](const SessionState& state) {
        QStringList hidden;
        for (const std::string& title : state.hiddenColumns)
            hidden.append(QString::fromStdString(title));
        table.hideColumnsTitled(hidden);
        if (!state.windowGeometry.empty())
            m_window.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(state.windowGeometry)));
        if (!state.windowState.empty())
            m_window.restoreState(QByteArray::fromBase64(QByteArray::fromStdString(state.windowState)));
        m_window.showAutoFilterThreshold();
    };
    m_document.addPart({ save, restore });
}

void SessionControls::openSession(const QString& path)
{
    if (const QString error = m_document.open(path); !error.isEmpty())
        m_messageBox.show(error, QStringLiteral("Open Session"), UserMessageBox::Icon::Error);
    showState();
}

void SessionControls::askToOpen()
{
    const QString title = QStringLiteral("Open Session");
    if (!offerToSave(title))
        return;
    const QString path = m_fileChooser().fileToOpen(&m_window, title, kFilter);
    if (!path.isEmpty())
        openSession(path);
}

void SessionControls::save()
{
    if (m_document.path().isEmpty()) {
        saveAs();
        return;
    }
    if (const QString error = m_document.save(); !error.isEmpty())
        m_messageBox.show(error, QStringLiteral("Save Session"), UserMessageBox::Icon::Error);
    showState();
}

void SessionControls::saveAs()
{
    const QString title = QStringLiteral("Save Session As");
    QString path = m_fileChooser().fileToSave(&m_window, title, kFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vexmoor");
    if (const QString error = m_document.saveAs(path); !error.isEmpty())
        m_messageBox.show(error, title, UserMessageBox::Icon::Error);
    showState();
}

bool SessionControls::offerToSave(const QString& title)
{
    // An untitled session counts as changed from the first move of the window: it asks only when it
    // holds a database's unsaved edits, which nothing else keeps.
    const bool titled = !m_document.path().isEmpty();
    if (!(titled || m_window.controller().dbc().isModified()) || !m_document.isModified())
        return true;
    const QString name = titled ? QFileInfo(m_document.path()).fileName() : QStringLiteral("untitled.vexmoor");
    if (!m_messageBox.askYesNo(QStringLiteral("Save the changes to %1 first?").arg(name), title, true))
        return true;
    save();
    return !m_document.isModified();
}

void SessionControls::fillRecentMenu()
{
    m_recentMenu->clear();
    for (const QString& path : m_document.recent()) {
        QAction* entry = m_recentMenu->addAction(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (offerToSave(QStringLiteral("Open Session")))
                openSession(path);
        });
    }
    if (m_recentMenu->isEmpty())
        m_recentMenu->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

void SessionControls::restoreLastRun()
{
    const QString title = QStringLiteral("Restore Last Session");
    if (!offerToSave(title))
        return;
    const QString error = m_document.open(lastRunPath());
    if (error.isEmpty()) {
        showState();
        return;
    }
    // A broken file or one of a later version is set aside, so that it is neither lost nor read again.
    const QString aside = m_recoveryFolder
        + QStringLiteral("/last-run-%1.vexmoor")
              .arg(QDateTime::fromMSecsSinceEpoch(WallClock::exact().nowUs() / 1000)
                       .toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QFile::rename(lastRunPath(), aside);
    m_messageBox.show(QStringLiteral("%1\nThe file was set aside as %2.").arg(error, QDir::toNativeSeparators(aside)),
                      title, UserMessageBox::Icon::Error);
    showState();
}

void SessionControls::checkForChanges(std::int64_t nowMs)
{
    const std::string text = SessionFile::write(m_document.gather(recoveryPath()));
    if (text != m_seenText) {
        m_seenText = text;
        m_changedAtMs = nowMs;
        if (!m_pending)
            m_pendingSinceMs = nowMs;
        m_pending = true;
    }
    if (m_pending && (nowMs - m_changedAtMs >= kSettleMs || nowMs - m_pendingSinceMs >= kMostOftenMs)) {
        QDir().mkpath(m_recoveryFolder);
        // A failure here is not the user's to act on at once; the next change tries again.
        m_pending = !OutputFile::write(recoveryPath(), OutputFile::Mode::ReplaceWhole, text).isEmpty();
    }
    showState();
}

void SessionControls::showState()
{
    const bool haveLastRun = QFile::exists(lastRunPath());
    m_restore->setEnabled(haveLastRun);
    m_restore->setText(haveLastRun ? QStringLiteral("Restore Last Session")
                                   : QStringLiteral("Restore Last Session (none kept)"));
    const QString path = m_document.path();
    m_status->setVisible(!path.isEmpty());
    if (path.isEmpty())
        return;
    m_status->setText(QStringLiteral("Session: %1%2")
                          .arg(QFileInfo(path).fileName(), m_document.isModified() ? QStringLiteral(" *") : QString()));
    m_status->setToolTip(QDir::toNativeSeparators(path));
}

} // namespace vexmoor
