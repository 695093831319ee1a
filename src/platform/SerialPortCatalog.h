#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vexmoor {

// Which device a port number names on this machine. On Windows, n is COMn. Elsewhere n is the n-th
// serial port in an order that survives re-plugging: USB serial devices first (ttyACM*, then
// ttyUSB*, each by number), then the other ports by name.
class SerialPortCatalog final {
public:
    struct Lookup {
        QString device; // empty when there is none
        QString problem; // why there is none, in a sentence
        QString brief; // the same in a few words, for a narrow line
    };
    struct NumberedPort {
        std::int16_t number;
        QString device;
    };

    // The serial ports of this machine as the catalog orders them.
    static QStringList availablePorts();
    static QStringList ordered(QStringList portNames);
    // The ports with the numbers that name them, each with the device deviceForNumber() gives for it.
    static QList<NumberedPort> numbered(const QStringList& orderedPorts);
    static Lookup deviceForNumber(std::int16_t number, const QStringList& orderedPorts);
    // What a text typed as the port names: a number, or on POSIX systems a path beginning with "/".
    static Lookup describe(const QString& portText, const QStringList& orderedPorts);
    static bool isDevicePath(const QString& portText);
};

} // namespace vexmoor
