#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexmoor {

// One CAN frame as every source and log format hands it on: what the bus carried and when. A classic
// frame carries up to 8 data bytes; a CAN FD frame up to 64, in FD's steps (0 to 8, 12, 16, 20, 24,
// 32, 48, 64).
struct CanFrame {
    static constexpr std::uint32_t kMaxStandardId = 0x7FF;
    static constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
    static constexpr std::uint8_t kMaxClassicLength = 8;
    static constexpr std::uint8_t kMaxFdLength = 64;

    std::uint32_t id = 0;
    bool extended = false;
    bool remote = false; // a remote frame carries no data
    bool fd = false; // a CAN FD frame, which is never remote
    bool bitRateSwitch = false; // FD: the data went at the faster rate
    bool errorStateIndicator = false; // FD: the sender was error passive
    // Data bytes: 0 to 8, or an FD step up to 64; of a remote frame, the length it asks for where the
    // source says.
    std::uint8_t length = 0;
    std::array<std::uint8_t, kMaxFdLength> data {};
    std::int64_t timestampUs = 0; // microseconds since the Unix epoch: the source's clock, else the arrival time
    // The bus's number while rows are kept per bus (see BusNames); 0, one row per identifier, otherwise.
    std::uint8_t bus = 0;

    // The data bytes the frame carries: none for a remote frame, never past what its kind can hold.
    std::size_t dataLength() const { return remote ? 0 : (length < maxLength() ? length : maxLength()); }
    std::uint8_t maxLength() const { return fd ? kMaxFdLength : kMaxClassicLength; }

    // Whether an FD frame can carry this many bytes: 0 to 8, 12, 16, 20, 24, 32, 48 or 64.
    static constexpr bool isFdLength(std::size_t bytes)
    {
        return bytes <= 8 || bytes == 12 || bytes == 16 || bytes == 20 || bytes == 24 || bytes == 32 || bytes == 48
            || bytes == 64;
    }

    bool operator==(const CanFrame&) const = default;
};

} // namespace vexmoor
