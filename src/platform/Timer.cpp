#include "platform/Timer.h"

namespace vexmoor {

Timer::Timer(const QString& name, int intervalMs, bool enabled, QObject* parent)
    : QObject(parent)
    , m_interval(intervalMs)
    , m_enabled(enabled)
{
    setObjectName(name);
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
    restart();
}

void Timer::setInterval(int intervalMs)
{
    m_interval = intervalMs < 0 ? 0 : intervalMs;
    restart();
}

void Timer::setEnabled(bool enabled)
{
    // Enabling a running timer keeps its schedule: a connect must not push the next purge back.
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void Timer::restart()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

} // namespace vexmoor
