#pragma once

#include <QString>

namespace vexmoor {

class SerialPort;

// "Connect To COM": configures and opens the serial port from the port text. The first step that
// fails ends the command, and errorString() says what failed; the window shows it in one "Invalid
// Port" box. Starting the poll on success is the caller's: the connection knows the port, not the
// timers that read it.
class SerialConnection final {
public:
    static constexpr const char* kBaudRate = "38400";
    static constexpr const char* kLineSettings = ",N,8,1";

    explicit SerialConnection(SerialPort& port);

    // The main window's hidden port text (Text1): "4" at start, written unchecked by "Set" of the
    // port dialog, read only here.
    const QString& portText() const { return m_portText; }
    void setPortText(const QString& text) { m_portText = text; }
    // The settings text that the latest connect built.
    const QString& settingsText() const { return m_settingsText; }

    // True when the port is open afterwards and ready to be polled.
    bool connectToCom();
    // Why the latest connect failed.
    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& description);

    SerialPort& m_port;
    QString m_portText = QStringLiteral("4");
    QString m_settingsText;
    QString m_error;
};

} // namespace vexmoor
