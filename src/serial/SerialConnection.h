#pragma once

#include <QString>

namespace vexmoor {

class SerialPort;
class Timer;
class UserMessageBox;

// "Connect To COM": configures and opens the serial port from the port text, then starts the poll.
// The first step that fails ends the command with one "Invalid Port" box. The port is never closed
// again while the program runs.
class SerialConnection final {
public:
    static constexpr const char* kBaudRate = "38400";
    static constexpr const char* kLineSettings = ",N,8,1";

    SerialConnection(SerialPort& port, Timer& pollTimer, Timer& purgeTimer, UserMessageBox& messageBox);

    // The main window's hidden port text (Text1): "4" at start, written unchecked by "Set" of the
    // port dialog, read only here.
    const QString& portText() const { return m_portText; }
    void setPortText(const QString& text) { m_portText = text; }
    // The settings text that the latest connect built.
    const QString& settingsText() const { return m_settingsText; }

    // True when the port is open and the poll running afterwards.
    bool connectToCom();

private:
    bool fail(const QString& description);

    SerialPort& m_port;
    Timer& m_pollTimer;
    Timer& m_purgeTimer;
    UserMessageBox& m_messageBox;
    QString m_portText = QStringLiteral("4");
    QString m_settingsText;
};

} // namespace vexmoor
