#pragma once

#include <QString>

#include <string_view>

namespace vexmoor::test {

// A real pseudo-terminal in raw mode: the program opens its device like any serial port, the test
// writes what a board would send into the other end.
class PseudoTerminal final {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString devicePath() const { return m_path; }
    void write(std::string_view bytes);
    // The test's end, for a simulated device that also reads what the program writes.
    int masterDescriptor() const { return m_master; }
    // Both ends go, as when a USB adapter is pulled: the program's reads fail from now on.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace vexmoor::test
