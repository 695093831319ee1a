#pragma once

#include "sources/CaptureSource.h"

namespace vexmoor {

class SerialConnection;
class SerialPoll;
class SerialPort;
class Timer;

// The board on its serial port: "Connect To COM" opens the port from the port text, and every tick
// of the poll timer scans what came. The connection, the poll and its timer stay the controller's,
// because the port dialog and the options set them whether or not a board is connected.
class BoardSource final : public CaptureSource {
    Q_OBJECT

public:
    BoardSource(CaptureSession& session, SerialPort& port, SerialConnection& connection, SerialPoll& poll,
                Timer& pollTimer, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BoardSource)

    Kind kind() const override { return Kind::Board; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    // The port as the user gave it; a number also names the device it stands for.
    QString description() const override;
    quint64 frames() const override;
    bool holds(const QString& device) const override;
    void readNow() override { poll(); }
    void setBusName(const QString& name) override;

private:
    void poll();

    SerialPort& m_port;
    SerialConnection& m_connection;
    SerialPoll& m_poll;
    Timer& m_pollTimer;
    bool m_open = false;
    std::uint64_t m_framesAtOpen = 0;
};

} // namespace vexmoor
