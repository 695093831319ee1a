#include "app/LoggingControls.h"

#include "control/CaptureController.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace vexmoor {

namespace {

QString counted(std::uint64_t count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

LoggingControls::LoggingControls(QMenu& fileMenu, QStatusBar& statusBar, CaptureController& controller,
                                 std::function<QString()> askPath, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_askPath(std::move(askPath))
    , m_start(new QAction(QStringLiteral("Start Logging..."), parent))
    , m_stop(new QAction(QStringLiteral("Stop Logging"), parent))
    , m_status(new QLabel(&statusBar))
{
    fileMenu.addSeparator()->setObjectName(QStringLiteral("sepLogging"));
    m_start->setObjectName(QStringLiteral("mnuFileStartLogging"));
    m_stop->setObjectName(QStringLiteral("mnuFileStopLogging"));
    fileMenu.addAction(m_start);
    fileMenu.addAction(m_stop);
    m_status->setObjectName(QStringLiteral("statusLogging"));
    statusBar.addWidget(m_status);

    connect(m_start, &QAction::triggered, this, &LoggingControls::startLogging);
    connect(m_stop, &QAction::triggered, &m_controller, &CaptureController::stopLogging);
    connect(&m_controller, &CaptureController::loggingChanged, this, &LoggingControls::showState);
    showState();
}

QString LoggingControls::statusText(const QString& fileName, std::uint64_t frames, std::uint64_t notLogged)
{
    QString text = QStringLiteral("Logging to %1: %2")
                       .arg(fileName, counted(frames, QStringLiteral("frame"), QStringLiteral("frames")));
    if (notLogged > 0)
        text += QStringLiteral(", ")
            + counted(notLogged, QStringLiteral("record not logged"), QStringLiteral("records not logged"));
    return text;
}

void LoggingControls::startLogging()
{
    const QString path = m_askPath();
    if (!path.isEmpty())
        m_controller.startLogging(path);
}

void LoggingControls::showState()
{
    const bool logging = m_controller.isLogging();
    m_start->setEnabled(!logging);
    m_stop->setEnabled(logging);
    if (!logging) {
        m_status->clear();
        m_status->hide();
        return;
    }
    // The name alone keeps the status bar short; the whole path is one hover away.
    const QFileInfo file(m_controller.loggingPath());
    m_status->setText(statusText(file.fileName(), m_controller.framesLogged(), m_controller.recordsNotLogged()));
    m_status->setToolTip(file.absoluteFilePath());
    m_status->show();
}

} // namespace vexmoor
