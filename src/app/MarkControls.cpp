#include "app/MarkControls.h"

#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "control/CaptureController.h"
#include "platform/OutputFile.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

namespace vexmoor {

MarkControls::MarkControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, BitRanking& ranking)
    : QObject(&window)
    , m_statusBar(*window.statusBar())
    , m_controller(controller)
    , m_ranking(ranking)
    , m_mark(new QAction(QStringLiteral("Mark"), &window))
    , m_toolBar(new QToolBar(QStringLiteral("Marks"), &window))
{
    m_mark->setObjectName(QStringLiteral("mnuViewMark"));
    m_mark->setShortcut(QKeySequence(Qt::Key_F9));
    // The user's hands are on the switch, not on the window: the key works wherever the focus is.
    m_mark->setShortcutContext(Qt::WindowShortcut);
    m_mark->setToolTip(QStringLiteral("Mark the moment you operate the switch (F9)"));
    window.addAction(m_mark);
    viewMenu.addAction(m_mark);
    connect(m_mark, &QAction::triggered, this, [this] { takeMark(m_controller.framesNowUs()); });

    m_toolBar->setObjectName(QStringLiteral("tbMarks"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea);
    m_toolBar->addAction(m_mark);
    window.addToolBar(Qt::TopToolBarArea, m_toolBar);
}

QString MarkControls::marksPathBeside(const QString& logPath)
{
    return logPath + QStringLiteral(".marks");
}

bool MarkControls::takeMark(std::int64_t timeUs)
{
    if (!m_ranking.addMark(timeUs)) {
        m_statusBar.showMessage(QStringLiteral("All %1 marks are taken: delete one in the Marks panel to take another.")
                                    .arg(BitRanking::kMaxMarks),
                                kStatusMessageMs);
        return false;
    }
    keepBesideLog();
    emit markTaken(m_ranking.marks().size());
    return true;
}

void MarkControls::keepBesideLog()
{
    if (!m_controller.isLogging())
        return;
    const QString path = marksPathBeside(m_controller.loggingPath());
    // One line at the end, so that a drive's marks are on disk as soon as they are taken.
    const QString error = OutputFile::write(path, OutputFile::Mode::Append, MarksFile::line(m_ranking.marks().back()));
    // The mark stays taken: only its copy on disk is missing.
    if (!error.isEmpty())
        m_statusBar.showMessage(
            QStringLiteral("The mark was taken but not saved: cannot write %1: %2").arg(path, error), kStatusMessageMs);
}

} // namespace vexmoor
