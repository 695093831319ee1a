#include "platform/SerialPortCatalog.h"

#include "capture/record/DecimalText.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace vexmoor {

namespace {

// USB serial devices first, ttyACM before ttyUSB, each by its number; then the rest by name.
std::tuple<int, qint64, QString> orderKey(const QString& name)
{
    static const QRegularExpression usbPort(QStringLiteral("^(ttyACM|ttyUSB)(\\d+)$"));
    const auto match = usbPort.match(name);
    if (match.hasMatch())
        return { match.captured(1) == QLatin1String("ttyACM") ? 0 : 1, match.captured(2).toLongLong(), QString() };
    return { 2, 0, name };
}

} // namespace

QStringList SerialPortCatalog::availablePorts()
{
    QStringList names;
    for (const auto& info : QSerialPortInfo::availablePorts())
        names.append(info.portName());
    return ordered(names);
}

QStringList SerialPortCatalog::ordered(QStringList portNames)
{
    std::stable_sort(portNames.begin(), portNames.end(),
                     [](const QString& left, const QString& right) { return orderKey(left) < orderKey(right); });
    return portNames;
}

QList<SerialPortCatalog::NumberedPort> SerialPortCatalog::numbered(const QStringList& orderedPorts)
{
    QList<NumberedPort> ports;
#ifdef Q_OS_WIN
    // COMn is port n; a port of another name has no number.
    static const QRegularExpression comPort(QStringLiteral("^COM(\\d{1,4})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : orderedPorts) {
        const auto match = comPort.match(name);
        if (match.hasMatch())
            ports.append({ static_cast<std::int16_t>(match.captured(1).toInt()), name });
    }
#else
    for (qsizetype index = 0; index < orderedPorts.size() && index < INT16_MAX; ++index)
        ports.append({ static_cast<std::int16_t>(index + 1), QStringLiteral("/dev/") + orderedPorts.at(index) });
#endif
    return ports;
}

SerialPortCatalog::Lookup SerialPortCatalog::deviceForNumber(std::int16_t number, const QStringList& orderedPorts)
{
#ifdef Q_OS_WIN
    Q_UNUSED(orderedPorts)
    if (number < 1)
        return { {},
                 QStringLiteral("There is no serial port %1: ports are numbered from 1 (COM1).").arg(number),
                 QStringLiteral("no such port") };
    return { QStringLiteral("COM%1").arg(number), {}, {} };
#else
    if (number >= 1 && number <= orderedPorts.size())
        return { QStringLiteral("/dev/") + orderedPorts.at(number - 1), {}, {} };
    QString known;
    for (int index = 0; index < orderedPorts.size(); ++index)
        known += QStringLiteral("%1%2 = /dev/%3")
                     .arg(index == 0 ? QString() : QStringLiteral(", "))
                     .arg(index + 1)
                     .arg(orderedPorts.at(index));
    if (orderedPorts.isEmpty())
        return { {},
                 QStringLiteral("There is no serial port %1 on this machine: it has no serial ports. "
                                "A device path such as /dev/ttyUSB0 may be typed instead of a number.")
                     .arg(number),
                 QStringLiteral("no serial ports here") };
    return { {},
             QStringLiteral("There is no serial port %1 on this machine: it has %2 serial port%3 (%4).")
                 .arg(number)
                 .arg(orderedPorts.size())
                 .arg(orderedPorts.size() == 1 ? QString() : QStringLiteral("s"))
                 .arg(known),
             QStringLiteral("no such port (%1 here)").arg(orderedPorts.size()) };
#endif
}

bool SerialPortCatalog::isDevicePath(const QString& portText)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portText)
    return false;
#else
    return portText.startsWith(QLatin1Char('/'));
#endif
}

SerialPortCatalog::Lookup SerialPortCatalog::describe(const QString& portText, const QStringList& orderedPorts)
{
    if (isDevicePath(portText)) {
        if (!QFileInfo::exists(portText))
            return { {},
                     QStringLiteral("There is no device %1 on this machine.").arg(portText),
                     QStringLiteral("no such device") };
        return { portText, {}, {} };
    }
    const auto number = decimal::readWholeNumberSetting(portText.toStdString(), INT16_MIN, INT16_MAX);
    if (number.status != decimal::WholeNumberSetting::Status::Valid)
        return { {}, QStringLiteral("'%1' is not a port number.").arg(portText), QStringLiteral("not a port number") };
    return deviceForNumber(static_cast<std::int16_t>(number.value), orderedPorts);
}

} // namespace vexmoor
