#include "app/OpenLogControls.h"

#include "app/ReplayToolBar.h"
#include "app/RowsPerBusControls.h"
#include "control/CaptureController.h"
#include "platform/FileChooser.h"
#include "platform/UserMessageBox.h"
#include "sources/LogReplay.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>

namespace vexmoor {

namespace {

const QString kTitle = QStringLiteral("Open Log");

} // namespace

OpenLogControls::OpenLogControls(QMenu& fileMenu, QWidget& window, CaptureController& controller,
                                 UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser,
                                 ReplayToolBar& toolBar)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_messageBox(messageBox)
    , m_fileChooser(std::move(fileChooser))
    , m_toolBar(toolBar)
{
    setObjectName(QStringLiteral("openLogControls"));
    controller.sessionDocument().addPart(
        { [this](SessionState& state) { state.lastLog = m_lastLog.toStdString(); },
          [this](const SessionState& state) { m_lastLog = QString::fromStdString(state.lastLog); } });
    fileMenu.addSeparator()->setObjectName(QStringLiteral("sepOpenLog"));
    QAction* open = fileMenu.addAction(QStringLiteral("Open Log..."));
    open->setObjectName(QStringLiteral("mnuFileOpenLog"));
    connect(open, &QAction::triggered, this, &OpenLogControls::openLog);
}

void OpenLogControls::openLog()
{
    FileChooser& chooser = m_fileChooser();
    const QString path
        = chooser.fileToOpen(&m_window, kTitle, QStringLiteral("Logs (*.log *.csv *.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    // A file that is no log is refused before any question, and the table stays as it is.
    const LogReplay::Preview preview = LogReplay::preview(path);
    if (!preview.error.isEmpty()) {
        m_messageBox.show(preview.error, kTitle, UserMessageBox::Icon::Error);
        return;
    }
    // Asked only when clearing takes something in sight. Otherwise the data is cleared as the default
    // answer would: the flips of frames that made no row (ignored, or below the minimum identifier)
    // must not mix with the log's in the ranking.
    const bool clearFirst
        = !holdsDataInSight() || m_messageBox.askYesNo(QStringLiteral("Clear the table first?"), kTitle, true);
    const QStringList paces = { QStringLiteral("At once"), QStringLiteral("In time") };
    const QString pace = chooser.choice(&m_window, kTitle, QStringLiteral("Replay the log:"), paces);
    if (!paces.contains(pace))
        return;
    const QString allInterfaces = QStringLiteral("All interfaces");
    const QString rowPerBus = QStringLiteral("All, a row per bus");
    QString interfaceName;
    if (preview.interfaces.size() > 1) {
        interfaceName = chooser.choice(&m_window, kTitle, QStringLiteral("Replay the frames of:"),
                                       QStringList { allInterfaces, rowPerBus } + preview.interfaces);
        if (interfaceName.isEmpty())
            return;
        // All of them merged or a row per bus: the table is keyed so before the first frame comes. The
        // table was just offered for clearing; switching asks again only when it was kept.
        if (interfaceName == allInterfaces || interfaceName == rowPerBus) {
            const bool perBus = interfaceName == rowPerBus;
            if (clearFirst)
                m_controller.setRowsPerBus(perBus);
            else if (!RowsPerBusControls::switchRowsPerBus(m_controller, m_messageBox, perBus))
                return;
            interfaceName.clear();
        }
    }
    const auto mode = pace == paces.first() ? LogReplay::Mode::AtOnce : LogReplay::Mode::InTime;
    if (!m_controller.openLog(path, mode, interfaceName))
        return;
    m_lastLog = path;
    // Only now, with the log open: the replay hands nothing on before the next turn of the event loop.
    if (clearFirst)
        m_controller.clearData();
    if (mode == LogReplay::Mode::InTime)
        m_toolBar.follow(*m_controller.replay());
    else
        showProgress(path);
}

bool OpenLogControls::holdsDataInSight()
{
    CaptureSession& session = m_controller.session();
    return session.table().rowCount() > 0 || !session.ranking().marks().empty()
        || session.plotted().originUs().has_value();
}

void OpenLogControls::showProgress(const QString& path)
{
    LogReplay& replay = *m_controller.replay();
    auto* progress = new QProgressDialog(QStringLiteral("Replaying %1").arg(QFileInfo(path).fileName()),
                                         QStringLiteral("Cancel"), 0, 100, &m_window);
    progress->setObjectName(QStringLiteral("logProgress"));
    progress->setWindowTitle(kTitle);
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(&replay, &LogReplay::progressed, progress, [progress](qint64 read, qint64 size) {
        progress->setValue(size > 0 ? static_cast<int>(read * 100 / size) : 100);
    });
    connect(progress, &QProgressDialog::canceled, &replay, &LogReplay::stop);
    connect(&replay, &LogReplay::finished, progress, &QWidget::close);
    progress->show();
}

} // namespace vexmoor
