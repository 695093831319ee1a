#include "sources/BoardSource.h"

#include "capture/formats/CandumpRecorder.h"

#include "capture/record/CaptureSession.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "serial/SerialConnection.h"
#include "serial/SerialPoll.h"

namespace vexmoor {

BoardSource::BoardSource(CaptureSession& session, SerialPort& port, SerialConnection& connection, SerialPoll& poll,
                         Timer& pollTimer, QObject* parent)
    : CaptureSource(session, parent)
    , m_port(port)
    , m_connection(connection)
    , m_poll(poll)
    , m_pollTimer(pollTimer)
{
    connect(&m_pollTimer, &Timer::tick, this, &BoardSource::poll);
    BoardSource::setBusName(QString::fromLatin1(CandumpRecorder::kBoardInterface.data(),
                                                static_cast<qsizetype>(CandumpRecorder::kBoardInterface.size())));
}

void BoardSource::setBusName(const QString& name)
{
    CaptureSource::setBusName(name);
    // The board's records come as text, without a frame's facts: their bus is the session's to keep.
    session().ingestion().setRecordBus(busKey());
}

bool BoardSource::open()
{
    // The board's own connect refuses a port that is already open, and leaves its poll running.
    if (!m_connection.connectToCom()) {
        setErrorString(m_connection.errorString());
        return false;
    }
    m_open = true;
    m_framesAtOpen = session().ingestion().framesSeen();
    m_pollTimer.setEnabled(true);
    return true;
}

void BoardSource::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_pollTimer.setEnabled(false);
    m_port.close();
    // The unfinished record of the stream that ended must not be completed by the next one.
    session().assembly().discardCarriedRecord();
}

QString BoardSource::description() const
{
    const QString& typed = m_connection.portText();
    const QString device = m_port.deviceName();
    if (device.isEmpty() || device == typed)
        return QStringLiteral("Board on %1").arg(typed);
    return QStringLiteral("Board on %1 (%2)").arg(typed, device);
}

quint64 BoardSource::frames() const
{
    // Every record of a frame's shape that reached ingestion while the board was the source.
    return session().ingestion().framesSeen() - m_framesAtOpen;
}

bool BoardSource::holds(const QString& device) const
{
    return m_port.deviceName() == device || m_connection.portText() == device;
}

void BoardSource::poll()
{
    const SerialResult read = m_poll.tick();
    if (read.deviceLost && m_open)
        reportLost(read.description);
}

} // namespace vexmoor
