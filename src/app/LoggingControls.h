#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace vexmoor {

class CaptureController;

// The window's side of logging: "Start Logging..." and "Stop Logging" at the end of the File menu,
// and the status bar's note of the running log. Each follows the controller's logging state.
class LoggingControls final : public QObject {
    Q_OBJECT

public:
    // askPath asks the user where the log goes; an empty answer cancels.
    LoggingControls(QMenu& fileMenu, QStatusBar& statusBar, CaptureController& controller,
                    std::function<QString()> askPath, QObject* parent);
    Q_DISABLE_COPY_MOVE(LoggingControls)

    // "Logging to FILE: N frames", and how many records had no line, while a log runs.
    static QString statusText(const QString& fileName, std::uint64_t frames, std::uint64_t notLogged);

private:
    void startLogging();
    void showState();

    CaptureController& m_controller;
    std::function<QString()> m_askPath;
    QAction* m_start;
    QAction* m_stop;
    QLabel* m_status;
};

} // namespace vexmoor
