#include "app/ConnectionControls.h"

#include "control/CaptureController.h"
#include "dialogs/frmConnectInterface.h"

#include <QAction>
#include <QMenu>

namespace vexmoor {

ConnectionControls::ConnectionControls(QMenu& toolsMenu, CaptureController& controller, AskAddress askAddress,
                                       QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_askAddress(std::move(askAddress))
{
    setObjectName(QStringLiteral("connectionControls"));
    // The dialog offers the session's last source; nothing is opened by itself.
    controller.sessionDocument().addPart({ [this](SessionState& state) { state.lastSource = m_last.text(); },
                                           [this](const SessionState& state) {
                                               if (const auto parsed = SourceAddress::parse(state.lastSource);
                                                   parsed.address)
                                                   m_last = *parsed.address;
                                           } });
    toolsMenu.addSeparator()->setObjectName(QStringLiteral("sepConnectInterface"));
    m_connect = toolsMenu.addAction(QStringLiteral("Connect to CAN Interface..."));
    m_connect->setObjectName(QStringLiteral("mnuToolsConnectInterface"));
    QAction* add = toolsMenu.addAction(QStringLiteral("Add CAN Interface..."));
    add->setObjectName(QStringLiteral("mnuToolsAddInterface"));
    m_disconnect = toolsMenu.addAction(QStringLiteral("Disconnect"));
    m_disconnect->setObjectName(QStringLiteral("mnuToolsDisconnect"));
    connect(m_connect, &QAction::triggered, this, &ConnectionControls::connectToInterface);
    connect(add, &QAction::triggered, this, &ConnectionControls::addInterface);
    connect(m_disconnect, &QAction::triggered, &m_controller, &CaptureController::closeAllSources);
    connect(&m_controller, &CaptureController::sourceChanged, this, &ConnectionControls::showState);
    connect(&m_controller, &CaptureController::addedSourcesChanged, this, &ConnectionControls::showState);
    showState();
}

std::optional<SourceAddress> ConnectionControls::askWithDialog(QWidget* parent, const SourceAddress& last)
{
    frmConnectInterface dialog({}, parent);
    dialog.setAddress(last);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.address();
}

void ConnectionControls::connectToInterface()
{
    const std::optional<SourceAddress> address = m_askAddress(m_last);
    if (!address)
        return;
    // Remembered even when refused: the next try starts from what was typed.
    m_last = *address;
    m_controller.connectTo(*address);
}

void ConnectionControls::addInterface()
{
    const std::optional<SourceAddress> address = m_askAddress(m_last);
    if (!address)
        return;
    m_last = *address;
    m_controller.addSource(*address);
}

void ConnectionControls::showState()
{
    m_disconnect->setEnabled(m_controller.hasSource());
}

} // namespace vexmoor
