#include "sources/SlcanSource.h"

#include "capture/formats/SlcanCommands.h"
#include "capture/formats/SourceAddress.h"
#include "capture/record/CaptureSession.h"
#include "platform/SerialPort.h"

#include <QDeadlineTimer>

#include <chrono>
#include <utility>

namespace vexmoor {

namespace {

QString commandText(std::string_view command)
{
    // Without its CR, as a person would type it.
    return QString::fromLatin1(command.data(), static_cast<qsizetype>(command.size()) - 1);
}

} // namespace

SlcanSource::SlcanSource(CaptureSession& session, QString device, std::uint32_t bitRate, QObject* parent)
    : CaptureSource(session, parent)
    , m_device(std::move(device))
    , m_bitRate(bitRate)
{
    setBusName(QString::fromLatin1(kInterfaceName.data(), static_cast<qsizetype>(kInterfaceName.size())));
    connect(&m_port, &QSerialPort::readyRead, this, &SlcanSource::readArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SlcanSource::portFailed);
}

SlcanSource::~SlcanSource()
{
    close();
}

QString SlcanSource::description() const
{
    return QStringLiteral("slcan on %1 at %2")
        .arg(m_device, QString::fromStdString(SourceAddress::bitRateText(m_bitRate)));
}

bool SlcanSource::open()
{
    close();
    setErrorString({});
    setRemark({});
    m_decoder = SlcanDecoder();
    m_frames = 0;
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadWrite))
        return fail(QStringLiteral("Cannot open %1: %2").arg(m_device, m_port.errorString()));
    const bool configured = m_port.setBaudRate(m_baudRate) && m_port.setDataBits(QSerialPort::Data8)
        && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured)
        return fail(QStringLiteral("Cannot set up %1: %2").arg(m_device, m_port.errorString()));
    // Whatever the adapter said before this opening belongs to no command of it.
    m_port.clear();
    m_holding = true;
    m_opening = true;
    const bool opened = runOpeningSequence();
    m_opening = false;
    if (!opened)
        return false;
    m_receiving = true;
    QMetaObject::invokeMethod(this, &SlcanSource::handOnHeldFrames, Qt::QueuedConnection);
    return true;
}

void SlcanSource::handOnHeldFrames()
{
    m_holding = false;
    const std::vector<CanFrame> held = std::exchange(m_heldFrames, {});
    if (!m_receiving)
        return;
    for (const CanFrame& frame : held) {
        ++m_frames;
        session().ingestFrame(frame, busKey());
    }
}

bool SlcanSource::runOpeningSequence()
{
    const QString adapter = QStringLiteral("The slcan adapter on %1").arg(m_device);
    auto silent = [&](std::string_view step, const QString& what) {
        return fail(QStringLiteral("%1 did not answer \"%2\" (%3) within %4 ms.")
                        .arg(adapter, commandText(step), what)
                        .arg(m_answerTimeoutMs));
    };

    // An adapter that is closed already refuses the close: either way it is closed now.
    if (command(SlcanCommands::kClose) == Reply::Silent)
        return silent(SlcanCommands::kClose, QStringLiteral("close"));

    const auto rateCommand = SlcanCommands::bitRate(m_bitRate);
    if (!rateCommand)
        return fail(QStringLiteral("slcan has no command for the bit rate %1.").arg(m_bitRate));
    switch (command(*rateCommand)) {
    case Reply::Accepted:
        break;
    case Reply::Refused:
        return fail(QStringLiteral("%1 refused the bit rate %2 (\"%3\").")
                        .arg(adapter, QString::fromStdString(SourceAddress::bitRateText(m_bitRate)),
                             commandText(*rateCommand)));
    case Reply::Silent:
        return silent(*rateCommand, QStringLiteral("bit rate"));
    }

    // Time stamps are welcome, not needed: without them a frame takes its arrival time.
    const Reply timestamps = command(SlcanCommands::kTimestampsOn);
    if (timestamps == Reply::Silent)
        return silent(SlcanCommands::kTimestampsOn, QStringLiteral("time stamps"));
    m_timestamps = timestamps == Reply::Accepted;

    // Frames may follow the open's answer in the same read: from here they are the capture's.
    m_receiving = true;
    switch (command(SlcanCommands::kOpenListenOnly)) {
    case Reply::Accepted:
        m_listenOnly = true;
        return true;
    case Reply::Silent:
        return silent(SlcanCommands::kOpenListenOnly, QStringLiteral("open listen-only"));
    case Reply::Refused:
        break;
    }
    switch (command(SlcanCommands::kOpenNormal)) {
    case Reply::Accepted:
        m_listenOnly = false;
        setRemark(QStringLiteral("opened normal: the adapter refused listen-only"));
        return true;
    case Reply::Silent:
        return silent(SlcanCommands::kOpenNormal, QStringLiteral("open"));
    case Reply::Refused:
        break;
    }
    return fail(QStringLiteral("%1 refused to open, both listen-only (\"L\") and normal (\"O\").").arg(adapter));
}

SlcanSource::Reply SlcanSource::command(std::string_view command)
{
    while (m_decoder.takeAnswer()) { }
    m_port.write(command.data(), static_cast<qint64>(command.size()));
    const QDeadlineTimer deadline(m_answerTimeoutMs);
    m_port.waitForBytesWritten(m_answerTimeoutMs);
    while (true) {
        if (const auto answer = m_decoder.takeAnswer())
            return *answer == SlcanDecoder::Answer::Ok ? Reply::Accepted : Reply::Refused;
        if (deadline.hasExpired() || !m_port.isOpen())
            return Reply::Silent;
        // Bytes that came with an earlier signal are waiting already; then wait for more.
        if (m_port.bytesAvailable() == 0 && !m_port.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            continue;
        feed(m_port.readAll());
    }
}

bool SlcanSource::fail(const QString& reason)
{
    setErrorString(reason);
    m_receiving = false;
    m_heldFrames.clear();
    m_port.close();
    return false;
}

void SlcanSource::close()
{
    if (!m_port.isOpen())
        return;
    // Leave an adapter that is still there closed, as it was found; a gone one hears nothing.
    if (m_receiving && m_port.error() == QSerialPort::NoError) {
        m_port.write(SlcanCommands::kClose.data(), static_cast<qint64>(SlcanCommands::kClose.size()));
        m_port.waitForBytesWritten(m_answerTimeoutMs / 10);
    }
    m_receiving = false;
    m_heldFrames.clear();
    m_port.close();
}

void SlcanSource::readArrived()
{
    // The opening reads its answers itself, and what came with them goes first.
    if (m_opening || !m_receiving || !isOpen())
        return;
    if (m_holding)
        handOnHeldFrames();
    feed(m_port.readAll());
}

void SlcanSource::feed(const QByteArray& bytes)
{
    m_decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), arrivalUs(),
                   [this](const CanFrame& frame) {
                       if (!m_receiving)
                           return;
                       if (m_holding) {
                           m_heldFrames.push_back(frame);
                           return;
                       }
                       ++m_frames;
                       session().ingestFrame(frame, busKey());
                   });
}

void SlcanSource::portFailed(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen() || !m_receiving)
        return;
    // A read that failed once fails again; the device is as good as gone.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    // What the adapter sent before it went is kept.
    readArrived();
    reportLost(deviceRemovedReason(m_device));
}

} // namespace vexmoor
