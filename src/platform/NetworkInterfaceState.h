#pragma once

#include <cstddef>
#include <string>

namespace vexmoor {

// Whether a network interface (a SocketCAN "can0" among them) is there and up. The kernel tells a
// CAN socket nothing when its USB adapter is pulled, so a capture asks this now and then.
class NetworkInterfaceState final {
public:
    enum class State {
        Up,
        Down, // there, but "ip link set ... down" or never brought up
        Missing, // no interface has that name: unplugged, or never there
        Unknown, // the system would not say (no socket to ask with)
    };

    // The longest name the kernel holds (IFNAMSIZ less its terminator); a longer one names nothing.
    static constexpr std::size_t kMaxNameLength = 15;

    static State of(const std::string& interfaceName);
};

} // namespace vexmoor
