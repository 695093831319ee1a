#include "SerialLine.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace vexmoor::board {

namespace {

std::system_error lineError(int error, const std::string& what)
{
    return { error, std::generic_category(), what };
}

// Raw mode on the slave is what makes the pseudo-terminal behave like a plain serial line: no
// echo (which would send every byte back to the master, where nobody reads it, until the master
// blocks), no CR to LF translation (the records end in CR LF and must arrive so), no canonical
// line editing (which waits for a line end and drops input past 4095 bytes without one), no
// XON/XOFF (the bytes 17 and 19 in a --file would stop the line) and no signals (byte 3).
void makeRaw(int fd, const std::string& path)
{
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0)
        throw lineError(errno, "cannot read the terminal settings of '" + path + "'");
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL;
    if (::tcsetattr(fd, TCSANOW, &settings) != 0)
        throw lineError(errno, "cannot put '" + path + "' into raw mode");
}

speed_t speedFor(std::uint64_t baud)
{
    struct Speed {
        std::uint64_t baud;
        speed_t value;
    };
    static constexpr std::array speeds
        = { Speed { 1200, B1200 },       Speed { 2400, B2400 },      Speed { 4800, B4800 },
            Speed { 9600, B9600 },       Speed { 19200, B19200 },    Speed { 38400, B38400 },
            Speed { 57600, B57600 },     Speed { 115200, B115200 },  Speed { 230400, B230400 },
            Speed { 460800, B460800 },   Speed { 500000, B500000 },  Speed { 921600, B921600 },
            Speed { 1000000, B1000000 }, Speed { 2000000, B2000000 } };
    for (const auto& speed : speeds) {
        if (speed.baud == baud)
            return speed.value;
    }
    return B0;
}

void setSpeed(int fd, const std::string& path, std::uint64_t baud)
{
    const speed_t speed = speedFor(baud);
    if (speed == B0)
        return; // Not a usual speed: the device keeps its own, and the pacing still holds the rate.
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0 || ::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0
        || ::tcsetattr(fd, TCSANOW, &settings) != 0)
        throw lineError(errno, "cannot set '" + path + "' to " + std::to_string(baud) + " baud");
}

void makeNonBlocking(int fd, const std::string& path)
{
    // The writing loop must never sit in write() on a full line: it has a deadline and signals
    // to look at, so it waits in poll() with a timeout instead.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        throw lineError(errno, "cannot make '" + path + "' non-blocking");
}

class DescriptorGuard {
public:
    explicit DescriptorGuard(int fd)
        : m_fd(fd)
    {
    }
    ~DescriptorGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DescriptorGuard(const DescriptorGuard&) = delete;
    DescriptorGuard& operator=(const DescriptorGuard&) = delete;
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace

SerialLine::SerialLine(int lineFd, int slaveFd, std::string path, bool terminalDevice)
    : m_lineFd(lineFd)
    , m_slaveFd(slaveFd)
    , m_path(std::move(path))
    , m_terminalDevice(terminalDevice)
{
}

SerialLine::~SerialLine()
{
    ::close(m_lineFd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
}

std::unique_ptr<SerialLine> SerialLine::openPseudoTerminal()
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw lineError(errno, "cannot make a pseudo-terminal");
    DescriptorGuard masterGuard(master);
    DescriptorGuard slaveGuard(slave);
    std::array<char, 256> name {};
    if (const int error = ::ttyname_r(slave, name.data(), name.size()); error != 0)
        throw lineError(error, "cannot name the pseudo-terminal");
    const std::string path(name.data());
    makeRaw(slave, path);
    makeNonBlocking(master, path);
    return std::unique_ptr<SerialLine>(new SerialLine(masterGuard.release(), slaveGuard.release(), path, false));
}

std::unique_ptr<SerialLine> SerialLine::openDevice(const std::string& path, std::uint64_t baud)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw lineError(errno, "cannot open --device '" + path + "'");
    DescriptorGuard guard(fd);
    const bool terminal = ::isatty(fd) != 0;
    if (terminal) {
        // A serial port left in cooked mode would turn each LF into CR LF and the records' CR LF into
        // CR CR LF, so the reader would not get the bytes the board sends.
        makeRaw(fd, path);
        setSpeed(fd, path, baud);
    }
    makeNonBlocking(fd, path);
    return std::unique_ptr<SerialLine>(new SerialLine(guard.release(), -1, path, terminal));
}

std::size_t SerialLine::writeSome(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const ssize_t written = ::write(m_lineFd, bytes.data(), bytes.size());
    if (written >= 0)
        return static_cast<std::size_t>(written);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    throw lineError(errno, "cannot write to '" + m_path + "'");
}

void SerialLine::waitWritable(std::chrono::milliseconds timeout) const
{
    pollfd request { m_lineFd, POLLOUT, 0 };
    ::poll(&request, 1, static_cast<int>(timeout.count()));
}

void SerialLine::readSome(std::string& out)
{
    std::array<char, 4096> buffer {};
    const ssize_t got = ::read(m_lineFd, buffer.data(), buffer.size());
    if (got > 0) {
        out.append(buffer.data(), static_cast<std::size_t>(got));
        return;
    }
    // The master never reads end of file or EIO here: the slave descriptor held open keeps the
    // line up while the reader opens and closes its side.
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        throw lineError(errno, "cannot read from '" + m_path + "'");
}

void SerialLine::waitReadable(std::chrono::milliseconds timeout) const
{
    pollfd request { m_lineFd, POLLIN, 0 };
    ::poll(&request, 1, static_cast<int>(timeout.count()));
}

std::size_t SerialLine::unreadBytes() const
{
    int count = 0;
    if (m_slaveFd >= 0) {
        if (::ioctl(m_slaveFd, FIONREAD, &count) != 0)
            throw lineError(errno, "cannot ask '" + m_path + "' how much is unread");
    } else if (m_terminalDevice) {
        if (::ioctl(m_lineFd, TIOCOUTQ, &count) != 0)
            throw lineError(errno, "cannot ask '" + m_path + "' how much is unsent");
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

} // namespace vexmoor::board
