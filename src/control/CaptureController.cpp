#include "control/CaptureController.h"

#include "emulation/SampleGenerator.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "platform/UserMessageBox.h"
#include "sources/CanBusSource.h"
#include "sources/SlcanSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <string>
#include <utility>

namespace vexmoor {

namespace {

QString noSourceDescription()
{
    return QStringLiteral("No source");
}

QString counted(std::uint64_t count, const QString& singular, const QString& plural)
{
    return QStringLiteral("%1 %2").arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(count)),
                                       count == 1 ? singular : plural);
}

} // namespace

CaptureController::CaptureController(SerialPort& port, UserMessageBox& messageBox, TimeOfDaySource& clock,
                                     Upkeep upkeep, QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_messageBox(messageBox)
    , m_upkeep(upkeep)
    , m_session(clock)
    , m_timer1(new Timer(QStringLiteral("Timer1"), 100, false, this))
    , m_timer2(new Timer(QStringLiteral("Timer2"), 300, false, this))
    , m_timer3(new Timer(QStringLiteral("Timer3"), 5000, upkeep == Upkeep::Run, this))
    , m_timer4(new Timer(QStringLiteral("Timer4"), 10000, upkeep == Upkeep::Run, this))
    , m_interiorEmulatorTimer(new Timer(QStringLiteral("tmrInteriourEmulator"), 100, false, this))
    , m_connection(port, messageBox)
    , m_poll(port, m_session.assembly())
    , m_purge(m_session.table(), m_session.List2(), m_session.txtAutoFilter())
    , m_reset(m_session.table())
    , m_sourceDescription(noSourceDescription())
    , m_logWriter(m_session, this)
{
    setObjectName(QStringLiteral("captureController"));
    wireTimers();
    wireLogging();

    m_frameRateTimer.setInterval(kFrameRateIntervalMs);
    connect(&m_frameRateTimer, &QTimer::timeout, this,
            [this] { sampleFrameRate(std::chrono::milliseconds(m_sinceFrameRateSample.restart())); });
    m_sinceFrameRateSample.start();
    m_frameRateTimer.start();
}

CaptureController::~CaptureController()
{
    m_session.assembly().setYieldHook({});
    m_purge.setYieldHook({});
}

void CaptureController::wireTimers()
{
    m_session.assembly().setYieldHook([this] { m_scanYield(); });
    connect(m_timer2, &Timer::tick, this, &CaptureController::pollBoard);
    connect(m_timer1, &Timer::tick, this,
            [this] { m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kEmulationTick)); });
    connect(m_interiorEmulatorTimer, &Timer::tick, this, &CaptureController::ingestInteriorSlots);
    if (m_upkeep == Upkeep::Off)
        return;
    m_purge.setYieldHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    connect(m_timer3, &Timer::tick, this, [this] { m_purge.tick(); });
    connect(m_timer4, &Timer::tick, this, [this] { m_reset.tick(); });
}

bool CaptureController::connectToCom()
{
    // The board's own connect refuses a port that is already open and leaves its poll running, so
    // only a source of another kind is closed first.
    if (m_source != Source::Board)
        closeSource();
    if (!m_connection.connectToCom())
        return false;
    m_timer2->setEnabled(true);
    // Already running since start-up; enabling it again keeps its schedule.
    if (m_upkeep == Upkeep::Run)
        m_timer3->setEnabled(true);
    // The counts of the last replay would read as this source's.
    setReplayStatus({});
    setSource(Source::Board, boardDescription());
    return true;
}

void CaptureController::pollNow()
{
    pollBoard();
}

void CaptureController::pollBoard()
{
    const SerialResult read = m_poll.tick();
    if (read.deviceLost && m_source == Source::Board)
        loseSource(read.description);
}

bool CaptureController::connectTo(const SourceAddress& address)
{
    if (address.kind == SourceAddress::Kind::Board) {
        m_connection.setPortText(QString::fromStdString(address.device));
        return connectToCom();
    }
    LiveSource* source = makeLiveSource(address);
    // A device opens once: the source that holds it lets it go first.
    if (isOpenOn(QString::fromStdString(address.device)))
        closeSource();
    if (!source->open()) {
        m_messageBox.show(source->errorString(), QStringLiteral("Connect to CAN Interface"),
                          UserMessageBox::Icon::Error);
        delete source;
        return false;
    }
    closeSource();
    adoptLiveSource(source);
    return true;
}

LiveSource* CaptureController::makeLiveSource(const SourceAddress& address)
{
    const QString device = QString::fromStdString(address.device);
    if (address.kind == SourceAddress::Kind::Slcan)
        return new SlcanSource(m_session, device, address.bitRate, this);
    return new CanBusSource(m_session, QString::fromStdString(address.plugin), device, this);
}

bool CaptureController::isOpenOn(const QString& device) const
{
    if (m_source == Source::Board)
        return m_port.deviceName() == device || m_connection.portText() == device;
    return m_source == Source::Live && m_live->description().contains(device);
}

void CaptureController::adoptLiveSource(LiveSource* source)
{
    m_live = source;
    connect(source, &LiveSource::lost, this, &CaptureController::loseSource);
    connect(source, &LiveSource::remarkChanged, this, [this] { setSource(Source::Live, liveDescription()); });
    setReplayStatus({});
    setSource(Source::Live, liveDescription());
}

QString CaptureController::liveDescription() const
{
    const QString remark = m_live->remark();
    return remark.isEmpty() ? m_live->description() : QStringLiteral("%1 (%2)").arg(m_live->description(), remark);
}

void CaptureController::endLiveSource()
{
    LiveSource* source = std::exchange(m_live, nullptr);
    if (source == nullptr)
        return;
    disconnect(source, nullptr, this, nullptr);
    source->close();
    // It may be telling of its own loss right now.
    source->deleteLater();
}

void CaptureController::loseSource(const QString& reason)
{
    if (m_source == Source::None)
        return;
    m_timer2->setEnabled(false);
    m_port.close();
    m_session.assembly().discardCarriedRecord();
    endLiveSource();
    // No "Closed" note: the status bar keeps the reason until the next source.
    setSource(Source::None, QStringLiteral("Disconnected: %1").arg(reason));
    emit sourceLost(reason);
}

void CaptureController::closeSource()
{
    if (m_source == Source::None)
        return;
    m_timer2->setEnabled(false);
    m_port.close();
    // The unfinished record of the stream that ended must not be completed by the next one.
    m_session.assembly().discardCarriedRecord();
    endReplay();
    endLiveSource();
    const QString closed = m_sourceDescription;
    setSource(Source::None, noSourceDescription());
    emit sourceClosed(closed);
}

bool CaptureController::openLog(const QString& path, LogReplay::Mode mode, const QString& interfaceName)
{
    const QString title = QStringLiteral("Open Log");
    auto* replay = new LogReplay(m_session, this);
    if (!replay->open(path, interfaceName)) {
        m_messageBox.show(replay->errorString(), title, UserMessageBox::Icon::Error);
        delete replay;
        return false;
    }
    closeSource();
    m_replay = replay;
    connect(replay, &LogReplay::progressed, this, [this, replay] { showReplayCounts(*replay); });
    connect(replay, &LogReplay::finished, this, [this, replay, title] {
        showReplayCounts(*replay);
        if (!replay->errorString().isEmpty())
            m_messageBox.show(replay->errorString(), title, UserMessageBox::Icon::Error);
        closeSource();
    });
    setSource(Source::Replay, QStringLiteral("Log %1").arg(QFileInfo(path).fileName()));
    replay->start(mode);
    showReplayCounts(*replay);
    return true;
}

std::int64_t CaptureController::framesNowUs() const
{
    if (m_replay != nullptr && m_replay->latestFrameUs())
        return *m_replay->latestFrameUs();
    if (m_replayEndUs && framesIngested() == m_framesAtReplayEnd)
        return *m_replayEndUs;
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void CaptureController::endReplay()
{
    LogReplay* replay = std::exchange(m_replay, nullptr);
    if (replay == nullptr)
        return;
    m_replayEndUs = replay->latestFrameUs();
    m_framesAtReplayEnd = framesIngested();
    disconnect(replay, nullptr, this, nullptr);
    // A replay inside a scan that lets the event loop run ends once the scan returns; it is deleted
    // only then.
    if (replay->isFinished()) {
        replay->deleteLater();
        return;
    }
    connect(replay, &LogReplay::finished, replay, &QObject::deleteLater);
    replay->stop();
}

void CaptureController::showReplayCounts(const LogReplay& replay)
{
    QString text = counted(replay.frames(), QStringLiteral("frame"), QStringLiteral("frames")) + QStringLiteral(", ")
        + counted(replay.malformedLines(), QStringLiteral("malformed line"), QStringLiteral("malformed lines"));
    if (replay.skippedFrames() > 0)
        text += QStringLiteral(", ")
            + counted(replay.skippedFrames(), QStringLiteral("skipped frame"), QStringLiteral("skipped frames"));
    setReplayStatus(text);
}

void CaptureController::tableCleared()
{
    if (m_replay == nullptr)
        setReplayStatus({});
}

void CaptureController::setReplayStatus(const QString& text)
{
    if (text == m_replayStatus)
        return;
    m_replayStatus = text;
    emit replayStatusChanged(m_replayStatus);
}

void CaptureController::setSource(Source source, const QString& description)
{
    m_source = source;
    if (description == m_sourceDescription)
        return;
    m_sourceDescription = description;
    emit sourceChanged(m_sourceDescription);
}

QString CaptureController::boardDescription() const
{
    // The port as the user gave it; a number also names the device it stands for.
    const QString& typed = m_connection.portText();
    const QString device = m_port.deviceName();
    if (device.isEmpty() || device == typed)
        return QStringLiteral("Board on %1").arg(typed);
    return QStringLiteral("Board on %1 (%2)").arg(typed, device);
}

void CaptureController::setEmulation(bool on)
{
    m_timer1->setEnabled(on);
}

bool CaptureController::isEmulating() const
{
    return m_timer1->isEnabled();
}

void CaptureController::sendRandomSample()
{
    m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kRandomSample));
}

void CaptureController::sendUnimplemented()
{
    m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kUnimplemented));
}

void CaptureController::ingestInteriorSlots()
{
    // Handed over as they stand, an empty slot included: ingestion drops an empty record.
    for (const std::string* record :
         { &m_emulatorSlots.txtemuESP, &m_emulatorSlots.txtemuLOCKER, &m_emulatorSlots.txtemuHEADLIGHTS })
        m_session.ingest(*record);
}

std::uint64_t CaptureController::framesIngested() const
{
    return m_session.ingestion().framesSeen();
}

double CaptureController::sampleFrameRate(std::chrono::milliseconds elapsed)
{
    // No time passed, no rate: the frames count toward the next sample instead.
    if (elapsed.count() > 0) {
        const std::uint64_t frames = framesIngested();
        m_frameRate
            = static_cast<double>(frames - m_framesAtLastSample) * 1000.0 / static_cast<double>(elapsed.count());
        m_framesAtLastSample = frames;
    }
    emit frameRateChanged(m_frameRate);
    return m_frameRate;
}

void CaptureController::wireLogging()
{
    connect(&m_logWriter, &LogWriter::countsChanged, this, &CaptureController::loggingChanged);
    connect(&m_logWriter, &LogWriter::failed, this, [this](const QString& reason) {
        emit loggingChanged();
        m_messageBox.show(QStringLiteral("Logging to %1 stopped: %2. The capture goes on without a log.")
                              .arg(QDir::toNativeSeparators(m_logWriter.path()), reason),
                          QStringLiteral("Logging"), UserMessageBox::Icon::Error);
    });
}

bool CaptureController::startLogging(const QString& path)
{
    if (const QString reason = m_logWriter.start(path); !reason.isEmpty()) {
        m_messageBox.show(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason),
                          QStringLiteral("Start Logging"), UserMessageBox::Icon::Error);
        emit loggingChanged();
        return false;
    }
    emit loggingChanged();
    return true;
}

void CaptureController::stopLogging()
{
    if (!m_logWriter.isLogging())
        return;
    m_logWriter.stop();
    emit loggingChanged();
}

void CaptureController::stopTimers()
{
    for (Timer* timer : { m_timer1, m_timer2, m_timer3, m_timer4, m_interiorEmulatorTimer })
        timer->setEnabled(false);
    m_frameRateTimer.stop();
    if (m_source == Source::Replay)
        closeSource();
}

} // namespace vexmoor
