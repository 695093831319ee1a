#include "sources/LogWriter.h"

#include "capture/record/CaptureSession.h"
#include "platform/WallClock.h"

#include <QTimer>

namespace vexmoor {

LogWriter::LogWriter(CaptureSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_arrivalClock([] { return WallClock::exact().nowUs(); })
    , m_flushTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("logWriter"));
    m_flushTimer->setObjectName(QStringLiteral("logFlushTimer"));
    m_flushTimer->setInterval(kFlushIntervalMs);
    connect(m_flushTimer, &QTimer::timeout, this, &LogWriter::flush);
}

LogWriter::~LogWriter()
{
    // Whoever would hear of a failure is going away too.
    blockSignals(true);
    stop();
}

QString LogWriter::start(const QString& path)
{
    if (isLogging())
        stop();
    m_path = path;
    m_file = std::make_unique<OutputFile>(path, OutputFile::Mode::Truncate);
    if (!m_file->open())
        return m_file->errorString();
    m_recorder = std::make_unique<CandumpRecorder>(m_arrivalClock);
    m_recorder->setBoardInterface(&m_session.ingestion().recordBus());
    m_reportedFrames = 0;
    m_reportedNotLogged = 0;
    m_session.ingestion().setTap(m_recorder.get());
    m_flushTimer->start();
    return {};
}

void LogWriter::stop()
{
    if (!isLogging())
        return;
    if (writePending())
        finish();
}

void LogWriter::flush()
{
    if (!isLogging() || !writePending())
        return;
    if (framesLogged() != m_reportedFrames || recordsNotLogged() != m_reportedNotLogged) {
        m_reportedFrames = framesLogged();
        m_reportedNotLogged = recordsNotLogged();
        emit countsChanged();
    }
}

bool LogWriter::writePending()
{
    m_recorder->takeLines(m_lines);
    // A short write leaves a line cut in two; nothing more may follow it.
    if (m_file->write(m_lines) && m_file->flush())
        return true;
    const QString reason = m_file->errorString();
    finish();
    emit failed(reason);
    return false;
}

void LogWriter::finish()
{
    m_flushTimer->stop();
    m_session.ingestion().setTap(nullptr);
    m_file->commit();
}

std::uint64_t LogWriter::framesLogged() const
{
    return m_recorder ? m_recorder->framesLogged() : 0;
}

std::uint64_t LogWriter::recordsNotLogged() const
{
    return m_recorder ? m_recorder->recordsNotLogged() : 0;
}

} // namespace vexmoor
