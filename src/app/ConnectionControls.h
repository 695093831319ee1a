#pragma once

#include "capture/formats/SourceAddress.h"

#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace vexmoor {

class CaptureController;

// The window's side of live sources: "Connect to CAN Interface..." and "Disconnect" at the end of
// the Tools menu. The dialog starts from the address connected last.
class ConnectionControls final : public QObject {
    Q_OBJECT

public:
    // Asks the user where to connect, starting from the last address; nothing: cancelled.
    using AskAddress = std::function<std::optional<SourceAddress>(const SourceAddress& last)>;

    ConnectionControls(QMenu& toolsMenu, CaptureController& controller, AskAddress askAddress, QObject* parent);
    Q_DISABLE_COPY_MOVE(ConnectionControls)

    // The "Connect to CAN Interface" dialog, modal over parent.
    static std::optional<SourceAddress> askWithDialog(QWidget* parent, const SourceAddress& last);

    // Tests answer for the user.
    void setAskAddress(AskAddress askAddress) { m_askAddress = std::move(askAddress); }

private:
    void connectToInterface();
    // "Add CAN Interface...": one more beside those open.
    void addInterface();
    void showState();

    CaptureController& m_controller;
    AskAddress m_askAddress;
    SourceAddress m_last;
    QAction* m_connect;
    QAction* m_disconnect;
};

} // namespace vexmoor
