#include "app/EmulatorControls.h"

#include "control/CaptureController.h"
#include "emulation/frmEmulator.h"

#include <QAction>
#include <QMenu>

namespace vexmoor {

EmulatorControls::EmulatorControls(QMenu& emulatorMenu, CaptureController& controller, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_emulation(addAction(emulatorMenu, "MnuFileToggleEmulation", QStringLiteral("&Turn Emulation On")))
{
    setObjectName(QStringLiteral("emulatorControls"));
    m_emulation->setCheckable(true);
    connect(m_emulation, &QAction::triggered, this, &EmulatorControls::toggleEmulation);
    connect(addAction(emulatorMenu, "MnuEmulatorSendSample", QStringLiteral("Send Random Sample Message")),
            &QAction::triggered, &controller, &CaptureController::sendRandomSample);
    connect(addAction(emulatorMenu, "MnuSendUnimplemented", QStringLiteral("Send (Unimplemented)")),
            &QAction::triggered, &controller, &CaptureController::sendUnimplemented);
    connect(addAction(emulatorMenu, "mnuEmuInteriour", QStringLiteral("Interiour Controls")), &QAction::triggered, this,
            &EmulatorControls::showInteriorEmulator);
}

EmulatorControls::~EmulatorControls()
{
    closeWindow();
}

QAction* EmulatorControls::addAction(QMenu& menu, const char* name, const QString& caption)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void EmulatorControls::toggleEmulation()
{
    // The timer's flag decides; the menu entry only mirrors it with its check mark.
    const bool on = !m_controller.isEmulating();
    m_controller.setEmulation(on);
    m_emulation->setChecked(on);
}

void EmulatorControls::showInteriorEmulator()
{
    // A window closed a moment ago may still wait for its deletion; it is gone for the user.
    if (m_window.isNull() || !m_window->isVisible())
        m_window = new frmEmulator(m_controller.emulatorSlots(), m_controller.interiorEmulatorTimer());
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void EmulatorControls::closeWindow()
{
    delete m_window;
}

} // namespace vexmoor
