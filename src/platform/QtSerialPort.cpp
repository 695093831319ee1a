#include "platform/QtSerialPort.h"

#include "platform/SerialPortCatalog.h"

namespace vexmoor {

namespace {

QSerialPort::Parity toQt(SerialLineSettings::Parity parity)
{
    switch (parity) {
    case SerialLineSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case SerialLineSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case SerialLineSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case SerialLineSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    case SerialLineSettings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(SerialLineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case SerialLineSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case SerialLineSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    case SerialLineSettings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

} // namespace

QtSerialPort::QtSerialPort() = default;
QtSerialPort::~QtSerialPort() = default;

SerialResult QtSerialPort::setPortNumber(std::int16_t number)
{
    const auto lookup = SerialPortCatalog::deviceForNumber(number, SerialPortCatalog::availablePorts());
    if (lookup.device.isEmpty())
        return SerialResult::failure(lookup.problem);
    return setDevicePath(lookup.device);
}

SerialResult QtSerialPort::setDevicePath(const QString& path)
{
    if (m_port.isOpen())
        return SerialResult::failure(QStringLiteral("The serial port %1 is already open.").arg(m_device));
    m_device = path;
    return SerialResult::success();
}

SerialResult QtSerialPort::setSettings(const QString& settings)
{
    const auto parsed = SerialLineSettings::parse(settings.toStdString());
    if (!parsed.settings)
        return SerialResult::failure(QString::fromStdString(parsed.problem));
    m_settings = *parsed.settings;
    return SerialResult::success();
}

SerialResult QtSerialPort::open()
{
    if (m_port.isOpen())
        return SerialResult::failure(QStringLiteral("The serial port %1 is already open.").arg(m_device));
    if (m_device.isEmpty())
        return SerialResult::failure(QStringLiteral("No serial port has been chosen."));
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadOnly))
        return SerialResult::failure(QStringLiteral("Cannot open %1: %2").arg(m_device, m_port.errorString()));
    const bool configured = m_port.setBaudRate(m_settings.baudRate) && m_port.setParity(toQt(m_settings.parity))
        && m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits))
        && m_port.setStopBits(toQt(m_settings.stopBits)) && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString reason = m_port.errorString();
        m_port.close();
        return SerialResult::failure(QStringLiteral("Cannot set up %1: %2").arg(m_device, reason));
    }
    return SerialResult::success();
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialPort::close()
{
    m_port.close();
}

SerialResult QtSerialPort::readPending(std::string& text)
{
    text.clear();
    if (!m_port.isOpen())
        return SerialResult::failure(QStringLiteral("The serial port is not open."));
    // Take what the device holds now, not only what the event loop has already fetched.
    m_port.waitForReadyRead(0);
    const QByteArray bytes = m_port.readAll();
    text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // A pulled USB device fails every read from now on, each with the same reason.
    if (const auto error = m_port.error(); error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        return SerialResult::lost(deviceRemovedReason(m_device));
    return SerialResult::success();
}

} // namespace vexmoor
