#include "serial/SerialPoll.h"

#include "capture/SerialInputAssembly.h"
#include "platform/SerialPort.h"

namespace vexmoor {

SerialPoll::SerialPoll(SerialPort& port, SerialInputAssembly& assembly)
    : m_port(port)
    , m_assembly(assembly)
{
}

void SerialPoll::tick()
{
    if (m_assembly.isScanning())
        return;
    if (!m_port.readPending(m_text).ok)
        return;
    m_assembly.poll(std::move(m_text));
    m_text.clear();
}

} // namespace vexmoor
