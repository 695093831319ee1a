#include "platform/EventLoopYield.h"

#include <QCoreApplication>

namespace vexmoor {

void EventLoopYield::operator()()
{
    if (!m_everyCall && m_sinceLastYield.isValid()) {
        if (++m_callsSinceClockReading < kCallsPerClockReading)
            return;
        m_callsSinceClockReading = 0;
        if (m_sinceLastYield.elapsed() < m_spacing.count())
            return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ++m_realYields;
    m_sinceLastYield.start();
}

} // namespace vexmoor
