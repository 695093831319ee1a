#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QStatusBar;
class QToolBar;

namespace vexmoor {

class BitRanking;
class CaptureController;

// The window's side of taking marks: "Mark" (F9, wherever the focus is in the window) in the View
// menu and on its own tool bar. A mark is taken at now on the frames' clock; while a log is written
// it goes at once to the marks file beside the log, so that a drive's marks outlive the run.
class MarkControls final : public QObject {
    Q_OBJECT

public:
    static constexpr int kStatusMessageMs = 5000;

    MarkControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, BitRanking& ranking);
    Q_DISABLE_COPY_MOVE(MarkControls)

    // Takes a mark at timeUs on the frames' clock; false, and said in the status bar, when the
    // ranking takes no more.
    bool takeMark(std::int64_t timeUs);
    QAction& markAction() { return *m_mark; }

    // The marks file kept beside a log: its whole name with ".marks" after it.
    static QString marksPathBeside(const QString& logPath);

signals:
    // A mark was taken; count is how many there are now.
    void markTaken(std::size_t count);

private:
    void keepBesideLog();

    QStatusBar& m_statusBar;
    CaptureController& m_controller;
    BitRanking& m_ranking;
    QAction* m_mark;
    QToolBar* m_toolBar;
};

} // namespace vexmoor
