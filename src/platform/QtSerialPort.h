#pragma once

#include "platform/SerialLineSettings.h"
#include "platform/SerialPort.h"

#include <QSerialPort>

namespace vexmoor {

// The serial port over QSerialPort, opened for reading only.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    Q_DISABLE_COPY_MOVE(QtSerialPort)

    SerialResult setPortNumber(std::int16_t number) override;
    SerialResult setDevicePath(const QString& path) override;
    SerialResult setSettings(const QString& settings) override;
    SerialResult open() override;
    bool isOpen() const override;
    void close() override;
    QString deviceName() const override { return m_device; }
    SerialResult readPending(std::string& text) override;

private:
    QSerialPort m_port;
    QString m_device;
    SerialLineSettings m_settings;
};

} // namespace vexmoor
