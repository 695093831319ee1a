#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vexmoor::board {

// The line the board writes to: the master side of a new pseudo-terminal, whose slave side a
// reader opens as if it were a serial port, or an existing device or file. Only a pseudo-terminal
// is also read: what the reader writes to its side comes out of the master.
class SerialLine {
public:
    // Throws std::system_error.
    static std::unique_ptr<SerialLine> openPseudoTerminal();
    // A terminal device is put into raw mode and, when `baud` is one of the usual speeds, set to it.
    // Throws std::system_error (with EINTR when a signal ended a blocking open, as of a FIFO).
    static std::unique_ptr<SerialLine> openDevice(const std::string& path, std::uint64_t baud);

    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // The path a reader opens: the pseudo-terminal's slave, or the device as given.
    const std::string& path() const { return m_path; }

    // Writes as much of `bytes` as the line takes now without waiting; 0 when it is full. Throws
    // std::system_error when the line fails.
    std::size_t writeSome(std::string_view bytes);
    // Waits up to `timeout` for room on the line; a signal ends the wait early.
    void waitWritable(std::chrono::milliseconds timeout) const;

    // Whether readSome() can be used: true for a pseudo-terminal.
    bool readable() const { return m_slaveFd >= 0; }
    // Appends what the reader has written to the line, without waiting; nothing when it wrote
    // nothing. Throws std::system_error when the line fails.
    void readSome(std::string& out);
    // Waits up to `timeout` for the reader to write something; a signal ends the wait early.
    void waitReadable(std::chrono::milliseconds timeout) const;

    // Whether unreadBytes() knows anything: true for a pseudo-terminal and a terminal device.
    bool knowsUnreadBytes() const { return m_slaveFd >= 0 || m_terminalDevice; }
    // Bytes written that the reader has not taken yet: those waiting in the slave's input for a
    // pseudo-terminal, those not yet sent for a terminal device. Throws std::system_error.
    std::size_t unreadBytes() const;

private:
    SerialLine(int lineFd, int slaveFd, std::string path, bool terminalDevice);

    // The master of a pseudo-terminal (read and written), or the device (only written).
    int m_lineFd;
    // Held open for the whole run: while any slave descriptor is open the master never sees a hang-up,
    // so writing before the reader opens the slave (or between two of its opens) just queues the
    // bytes, and this descriptor is what FIONREAD asks how many the reader has not read.
    int m_slaveFd;
    std::string m_path;
    bool m_terminalDevice;
};

} // namespace vexmoor::board
