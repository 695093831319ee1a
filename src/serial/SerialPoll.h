#pragma once

#include "platform/SerialPort.h"

#include <string>

namespace vexmoor {

class SerialInputAssembly;

// One tick of the poll timer: takes everything waiting at the port and scans it. A tick that falls
// due while a scan is yielding does nothing; the next tick after the scan reads what came meanwhile.
class SerialPoll final {
public:
    SerialPoll(SerialPort& port, SerialInputAssembly& assembly);

    // What the read gave: a device that went away is reported after what it sent is scanned.
    SerialResult tick();

private:
    SerialPort& m_port;
    SerialInputAssembly& m_assembly;
    std::string m_text;
};

} // namespace vexmoor
