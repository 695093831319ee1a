#pragma once

#include <QString>

#include <cstdint>
#include <string>

namespace vexmoor {

// Why a serial device stopped for good: it went away, as a pulled USB adapter does. The port's own
// error text is no reason then: the read that meets the hung-up line fails without setting one, and
// the text left is whatever an earlier call failed with, so that the window and the headless capture
// would each tell something else.
inline QString deviceRemovedReason(const QString& device)
{
    return QStringLiteral("%1 went away (the device was removed)").arg(device);
}

// The outcome of one operation on the serial port; a failure carries the description that the
// "Invalid Port" box shows.
struct SerialResult {
    bool ok = true;
    QString description;
    // The device went away (a USB adapter pulled): it stays unusable until it is opened again.
    bool deviceLost = false;

    static SerialResult success() { return {}; }
    static SerialResult failure(QString description) { return { false, std::move(description) }; }
    static SerialResult lost(QString description) { return { false, std::move(description), true }; }
};

// The serial port as the capture sees it: it is given a port number (or, on POSIX systems, a
// device path) and a settings text, opened, and read. It only ever reads.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual SerialResult setPortNumber(std::int16_t number) = 0;
    virtual SerialResult setDevicePath(const QString& path) = 0;
    // Baud rate, parity letter, data bits and stop bits separated by commas: "38400,N,8,1".
    virtual SerialResult setSettings(const QString& settings) = 0;
    virtual SerialResult open() = 0;
    virtual bool isOpen() const = 0;
    // Releases the device, so that another source may open it; closing a closed port does nothing.
    virtual void close() = 0;
    // The device the port number or path names, empty before one is set.
    virtual QString deviceName() const = 0;
    // Everything received since the last read, one character per byte; fails when not open. When the
    // device went away, the result says so and the text holds what came before.
    virtual SerialResult readPending(std::string& text) = 0;
};

} // namespace vexmoor
