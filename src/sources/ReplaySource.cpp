#include "sources/ReplaySource.h"

#include <QFileInfo>

namespace vexmoor {

ReplaySource::ReplaySource(CaptureSession& session, QString path, LogReplay::Mode mode, QString interfaceName,
                           QObject* parent)
    : CaptureSource(session, parent)
    , m_replay(new LogReplay(session, this))
    , m_path(std::move(path))
    , m_mode(mode)
    , m_interfaceName(std::move(interfaceName))
{
    connect(m_replay, &LogReplay::finished, this, [this] { emit ended(m_replay->errorString()); });
}

bool ReplaySource::open()
{
    if (!m_replay->open(m_path, m_interfaceName)) {
        setErrorString(m_replay->errorString());
        return false;
    }
    m_started = true;
    m_replay->start(m_mode);
    return true;
}

void ReplaySource::close()
{
    if (m_started)
        m_replay->stop();
}

QString ReplaySource::description() const
{
    return QStringLiteral("Log %1").arg(QFileInfo(m_path).fileName());
}

void ReplaySource::release()
{
    if (!m_started || m_replay->isFinished()) {
        deleteLater();
        return;
    }
    connect(m_replay, &LogReplay::finished, this, &QObject::deleteLater);
}

} // namespace vexmoor
