#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>

namespace vexmoor {

class SerialPort;
class TimeOfDaySource;

// The headless capture: connects to the source its address names (the board's serial port as
// "Connect To COM" does, an slcan adapter or a Qt Serial Bus interface), and when the time is up,
// the process is interrupted or the device goes away, writes the table as CSV. Its controller runs
// no upkeep: a log keeps everything it saw. With a log path, every frame also goes to a candump -L
// log while it runs.
class CaptureCommand final {
public:
    CaptureCommand(std::ostream& standardOutput, std::ostream& standardError, TimeOfDaySource& clock, SerialPort& port);

    // Runs the event loop of the QCoreApplication that must exist, and returns the exit status.
    int run(const CommandLine::Options& options);

private:
    std::ostream& m_out;
    std::ostream& m_err;
    TimeOfDaySource& m_clock;
    SerialPort& m_port;
};

} // namespace vexmoor
