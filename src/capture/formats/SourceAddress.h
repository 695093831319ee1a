#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// Where a live capture reads from, as a person types it after --capture or the connect dialog
// builds it:
//   "4", "/dev/ttyUSB0"                       the board on a serial port (a number or a device path)
//   "slcan:/dev/ttyACM0", "slcan:COM5@250k"   an slcan adapter on a serial port, with its bit rate
//   "socketcan:can0", "virtualcan:tcp://127.0.0.1:35470/can0"
//                                             an interface of a Qt Serial Bus plugin
//   "socketcan:can0@fd", "peakcan:usb0@fd=2M"  the same with CAN FD frames, at the interface's own
//                                             data bit rate or the one given
// A text is a plugin's only when it begins with a lower-case name and a colon, so that a device path
// with colons in it (/dev/serial/by-path/...:1.0) stays the board's.
struct SourceAddress {
    enum class Kind { Board, Slcan, CanBus };

    static constexpr std::uint32_t kDefaultSlcanBitRate = 500'000;
    static constexpr std::string_view kSlcanScheme = "slcan";

    Kind kind = Kind::Board;
    std::string plugin; // CanBus: "socketcan", "virtualcan", ...
    std::string device; // Board: the port text; Slcan: the serial device; CanBus: the interface or URL
    std::uint32_t bitRate = kDefaultSlcanBitRate; // Slcan only
    bool fd = false; // CanBus: CAN FD frames asked for
    std::uint32_t dataBitRate = 0; // CanBus with fd: the data phase's bit rate; 0 the interface's own

    static SourceAddress board(std::string portText);
    static SourceAddress slcan(std::string device, std::uint32_t bitRate = kDefaultSlcanBitRate);
    static SourceAddress canBus(std::string plugin, std::string interfaceName);

    struct Parsed; // defined below: std::optional needs SourceAddress complete
    static Parsed parse(std::string_view text);

    // The text parse() reads back to the same address; an slcan adapter at the default rate has no
    // "@" unless its device has one, which would otherwise be read as the start of a rate.
    std::string text() const;

    // "500k", "1M", "83.3k" is refused: only the rates an slcan adapter has a command for.
    static std::optional<std::uint32_t> parseBitRate(std::string_view text);
    // Any rate of that form, or only one of among when it is not empty.
    static std::optional<std::uint32_t> parseBitRate(std::string_view text, const std::vector<std::uint32_t>& among);
    static std::string bitRateText(std::uint32_t bitsPerSecond);
    // The data bit rates a CAN FD interface is offered at: 1M, 2M, 4M, 5M and 8M.
    static const std::vector<std::uint32_t>& dataBitRates();

    bool operator==(const SourceAddress&) const = default;
};

struct SourceAddress::Parsed {
    std::optional<SourceAddress> address;
    std::string error; // one line, when address is empty
};

} // namespace vexmoor
