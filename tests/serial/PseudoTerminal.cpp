#include "serial/PseudoTerminal.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace vexmoor::test {

PseudoTerminal::PseudoTerminal()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios settings {};
    tcgetattr(m_slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(m_slave, TCSANOW, &settings);
    m_path = QString::fromLocal8Bit(name);
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
}

void PseudoTerminal::hangUp()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

void PseudoTerminal::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = ::write(m_master, bytes.data(), bytes.size());
        if (written <= 0)
            throw std::runtime_error("writing to the pseudo-terminal failed");
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace vexmoor::test
