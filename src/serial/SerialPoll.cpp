#include "serial/SerialPoll.h"

#include "capture/record/SerialInputAssembly.h"
#include "platform/SerialPort.h"

namespace vexmoor {

SerialPoll::SerialPoll(SerialPort& port, SerialInputAssembly& assembly)
    : m_port(port)
    , m_assembly(assembly)
{
}

SerialResult SerialPoll::tick()
{
    if (m_assembly.isScanning())
        return SerialResult::success();
    SerialResult read = m_port.readPending(m_text);
    if (read.ok || read.deviceLost)
        m_assembly.poll(std::move(m_text));
    m_text.clear();
    return read;
}

} // namespace vexmoor
