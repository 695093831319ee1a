#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

namespace vexmoor {

class CaptureController;
class frmEmulator;

// The Emulator menu: the sample generator on Timer1, one sample at a time, and the interior
// emulator's window.
class EmulatorControls final : public QObject {
    Q_OBJECT

public:
    EmulatorControls(QMenu& emulatorMenu, CaptureController& controller, QObject* parent);
    ~EmulatorControls() override;
    Q_DISABLE_COPY_MOVE(EmulatorControls)

    void toggleEmulation();
    void showInteriorEmulator();
    // The run ends: the window goes without its own closing, before the timer it drives.
    void closeWindow();

private:
    QAction* addAction(QMenu& menu, const char* name, const QString& caption);

    CaptureController& m_controller;
    QAction* m_emulation;
    QPointer<frmEmulator> m_window;
};

} // namespace vexmoor
