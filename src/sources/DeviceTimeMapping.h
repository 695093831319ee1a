#pragma once

#include <cstdint>
#include <optional>

namespace vexmoor {

// Puts the time stamps a CAN device gives its frames on the wall clock. SocketCAN and the virtual
// bus stamp frames with the system's clock, but an adapter with a clock of its own counts from when
// it started, which the table would show as a time early in 1970. A stamp near the arrival time is
// taken as it is; another is moved by the gap between the two clocks, measured at the first such
// frame, so that the gaps between frames stay the adapter's own.
class DeviceTimeMapping final {
public:
    // How far a stamp on the system's clock can be from its arrival: frames wait in the device's
    // queue while the window is busy.
    static constexpr std::int64_t kSameClockUs = 60'000'000;

    // deviceUs: the frame's stamp, nothing when the device gave none. The result is in
    // microseconds since the Unix epoch.
    std::int64_t epochMicroseconds(std::optional<std::int64_t> deviceUs, std::int64_t arrivalUs);
    // A device opened anew may have restarted its clock.
    void reset() { m_offsetUs.reset(); }

private:
    std::optional<std::int64_t> m_offsetUs; // the wall clock minus the device's
};

} // namespace vexmoor
