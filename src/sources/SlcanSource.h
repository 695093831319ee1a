#pragma once

#include "capture/formats/SlcanDecoder.h"
#include "sources/CaptureSource.h"

#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

namespace vexmoor {

// An slcan (LAWICEL) adapter on a serial port, such as a CANable or a USBtin. Opening closes the
// adapter, sets the bit rate, asks for time stamps and opens it listen-only, so that the tool never
// disturbs the bus; an adapter without listen-only is opened normally, and the remark says so. Each
// step waits a bounded time for the adapter's answer; a refusal or silence ends the opening with the
// step named and the port closed.
class SlcanSource final : public CaptureSource {
    Q_OBJECT

public:
    static constexpr qint32 kDefaultBaudRate = 115200;
    static constexpr int kAnswerTimeoutMs = 1000;
    // The name the frames carry into a candump log, as Linux names an slcan interface.
    static constexpr std::string_view kInterfaceName = "slcan0";

    SlcanSource(CaptureSession& session, QString device, std::uint32_t bitRate, QObject* parent = nullptr);
    ~SlcanSource() override;
    Q_DISABLE_COPY_MOVE(SlcanSource)

    // USB adapters ignore the line's baud rate; a serial adapter needs its own.
    void setBaudRate(qint32 baudRate) { m_baudRate = baudRate; }
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }

    Kind kind() const override { return Kind::Slcan; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen() && m_receiving; }
    QString description() const override;
    quint64 frames() const override { return m_frames; }

    bool hasTimestamps() const { return m_timestamps; }
    bool isListenOnly() const { return m_listenOnly; }
    std::uint64_t malformedMessages() const { return m_decoder.malformedMessages(); }

private:
    enum class Reply { Accepted, Refused, Silent };

    bool runOpeningSequence();
    Reply command(std::string_view command);
    bool fail(const QString& reason);
    void readArrived();
    void feed(const QByteArray& bytes);
    void portFailed(QSerialPort::SerialPortError error);
    void handOnHeldFrames();

    QString m_device;
    std::uint32_t m_bitRate;
    qint32 m_baudRate = kDefaultBaudRate;
    int m_answerTimeoutMs = kAnswerTimeoutMs;
    QSerialPort m_port;
    SlcanDecoder m_decoder;
    bool m_receiving = false; // the adapter is open: its frames are the capture's
    // Frames that came with the open's answer wait for the event loop, so that whoever opened the
    // source (and starts a log next) sees them arrive as any other frame.
    bool m_holding = false;
    bool m_opening = false; // the opening reads the port itself; readyRead comes inside its waits
    std::vector<CanFrame> m_heldFrames;
    bool m_timestamps = false;
    bool m_listenOnly = false;
    quint64 m_frames = 0;
};

} // namespace vexmoor
