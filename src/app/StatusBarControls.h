#pragma once

#include "control/CaptureController.h"

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

namespace vexmoor {

// The status bar's view of the capture: the source open now (or why the last one went), what the
// last replay handed on, and the frame rate.
class StatusBarControls final : public QObject {
    Q_OBJECT

public:
    static constexpr int kClosedSourceMessageMs = 5000;

    StatusBarControls(QStatusBar& statusBar, CaptureController& controller, QObject* parent);
    Q_DISABLE_COPY_MOVE(StatusBarControls)

    // "2 frames, 0 malformed lines", with the skipped frames when there were any.
    static QString replayText(const CaptureController::ReplayCounts& counts);

private:
    void showSource(const QString& description);
    void showReplayCounts();

    CaptureController& m_controller;
    QLabel* m_source;
    QLabel* m_replay;
};

} // namespace vexmoor
