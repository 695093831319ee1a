#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexmoor {

// The line settings text of a serial port, "38400,N,8,1": baud rate, parity letter (N, E, O, M or
// S), data bits (5 to 8) and stop bits (1, 1.5 or 2).
struct SerialLineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baudRate = 38400;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    struct Parsed;
    static Parsed parse(std::string_view text);
};

// The settings, or the reason why the text does not fit.
struct SerialLineSettings::Parsed {
    std::optional<SerialLineSettings> settings;
    std::string problem;
};

} // namespace vexmoor
