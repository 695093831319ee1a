#include "serial/SerialConnection.h"

#include "capture/record/DecimalText.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortCatalog.h"

#include <cstdint>

namespace vexmoor {

SerialConnection::SerialConnection(SerialPort& port)
    : m_port(port)
{
}

bool SerialConnection::connectToCom()
{
    m_error.clear();
    // Setting up an open port again could only break a working connection.
    if (m_port.isOpen())
        return fail(QStringLiteral("The serial port %1 is already open and is being read; "
                                   "it stays open until the program ends.")
                        .arg(m_port.deviceName()));

    SerialResult result;
    if (SerialPortCatalog::isDevicePath(m_portText)) {
        result = m_port.setDevicePath(m_portText);
    } else {
        using Status = decimal::WholeNumberSetting::Status;
        const auto number = decimal::readWholeNumberSetting(m_portText.toStdString(), INT16_MIN, INT16_MAX);
        if (number.status == Status::NotANumber)
            return fail(QStringLiteral("The port number '%1' is not a number.").arg(m_portText));
        if (number.status == Status::OutOfRange)
            return fail(QStringLiteral("The port number '%1' is out of range: it must lie between %2 and %3.")
                            .arg(m_portText)
                            .arg(INT16_MIN)
                            .arg(INT16_MAX));
        result = m_port.setPortNumber(static_cast<std::int16_t>(number.value));
    }
    if (!result.ok)
        return fail(result.description);

    m_settingsText = QLatin1String(kBaudRate) + QLatin1String(kLineSettings);
    if (result = m_port.setSettings(m_settingsText); !result.ok)
        return fail(result.description);
    if (result = m_port.open(); !result.ok)
        return fail(result.description);
    return true;
}

bool SerialConnection::fail(const QString& description)
{
    m_error = description;
    return false;
}

} // namespace vexmoor
