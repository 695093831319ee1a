#include "sources/CaptureSource.h"

#include "platform/WallClock.h"

namespace vexmoor {

CaptureSource::CaptureSource(CaptureSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_clock(&WallClock::exact())
{
}

std::int64_t CaptureSource::arrivalUs() const
{
    return m_clock->nowUs();
}

void CaptureSource::setRemark(const QString& remark)
{
    if (remark == m_remark)
        return;
    m_remark = remark;
    emit remarkChanged(m_remark);
}

void CaptureSource::reportLost(const QString& reason)
{
    close();
    emit lost(reason);
}

} // namespace vexmoor
