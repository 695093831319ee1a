#include "platform/NetworkInterfaceState.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

static_assert(vexmoor::NetworkInterfaceState::kMaxNameLength + 1 == IFNAMSIZ);
#endif

namespace vexmoor {

#ifdef Q_OS_UNIX

namespace {

// The interface flags through any datagram socket: the request is the network stack's, not the
// socket family's, so it works where the machine has no CAN sockets.
NetworkInterfaceState::State upOrDown(const std::string& interfaceName)
{
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return NetworkInterfaceState::State::Unknown;
    ifreq request {};
    std::memcpy(request.ifr_name, interfaceName.data(), interfaceName.size());
    const int result = ::ioctl(probe, SIOCGIFFLAGS, &request);
    ::close(probe);
    if (result < 0)
        return NetworkInterfaceState::State::Missing; // gone between the two questions
    return (request.ifr_flags & IFF_UP) != 0 ? NetworkInterfaceState::State::Up : NetworkInterfaceState::State::Down;
}

} // namespace

NetworkInterfaceState::State NetworkInterfaceState::of(const std::string& interfaceName)
{
    // A name the kernel could not hold (or one cut short at a zero byte) names no interface; it
    // must not reach the fixed-size request truncated to a name that does.
    if (interfaceName.empty() || interfaceName.size() > kMaxNameLength || interfaceName.find('\0') != std::string::npos)
        return State::Missing;
    if (::if_nametoindex(interfaceName.c_str()) == 0)
        return State::Missing;
    return upOrDown(interfaceName);
}

#else

NetworkInterfaceState::State NetworkInterfaceState::of(const std::string&)
{
    return State::Unknown;
}

#endif

} // namespace vexmoor
