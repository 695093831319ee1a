#include "control/CaptureController.h"

#include "capture/record/BusNames.h"
#include "capture/record/MessageNotesLog.h"
#include "emulation/SampleGenerator.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "sources/BoardSource.h"
#include "sources/CanBusSource.h"
#include "sources/ReplaySource.h"
#include "sources/SlcanSource.h"

#include <QCoreApplication>

#include <algorithm>

#include <string>
#include <utility>

namespace vexmoor {

CaptureController::CaptureController(SerialPort& port, TimeOfDaySource& clock, Upkeep upkeep, QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_upkeep(upkeep)
    , m_session(clock)
    , m_timer1(new Timer(QStringLiteral("Timer1"), 100, false, this))
    , m_timer2(new Timer(QStringLiteral("Timer2"), CaptureSession::kDefaultPollIntervalMs, false, this))
    , m_timer3(
          new Timer(QStringLiteral("Timer3"), CaptureSession::kDefaultPurgeIntervalMs, upkeep == Upkeep::Run, this))
    , m_timer4(
          new Timer(QStringLiteral("Timer4"), CaptureSession::kDefaultResetIntervalMs, upkeep == Upkeep::Run, this))
    , m_interiorEmulatorTimer(new Timer(QStringLiteral("tmrInteriourEmulator"), 100, false, this))
    , m_connection(port)
    , m_poll(port, m_session.assembly())
    , m_purge(m_session.table(), m_session.List2(), m_session.txtAutoFilter())
    , m_reset(m_session.table())
    , m_logWriter(m_session, this)
{
    setObjectName(QStringLiteral("captureController"));
    m_session.ingestion().setArrivalClock(&m_coarseWallClock);
    wireTimers();
    wireLogging();
    connect(&m_dbc, &DbcDocument::changed, this, &CaptureController::followDbc);

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
    m_session.ingestion().setNotesLog(nullptr);
    m_session.ingestion().setFrameListener(nullptr);
    // Before the session it hands on to. The board's port is not closed: it belongs to the caller.
    delete std::exchange(m_source, nullptr);
    for (CaptureSource* added : std::exchange(m_addedSources, {}))
        delete added;
}

void CaptureController::setWallClock(const FramesClock& clock)
{
    m_wallClock = &clock;
    m_session.ingestion().setArrivalClock(&clock);
    if (m_source != nullptr)
        m_source->setClock(clock);
    for (CaptureSource* added : m_addedSources)
        added->setClock(clock);
}

void CaptureController::followDbc()
{
    // The decoder was made anew: the values are taken again from what the history kept.
    m_latestValues.setDecoder(m_dbc.isOpen() ? &m_dbc.decoder() : nullptr);
    m_latestValues.takePast(m_session.history(), busesOfDbc());
    m_session.ingestion().setFrameListener(m_dbc.isOpen() ? &m_latestValues : nullptr);
}

std::vector<std::uint8_t> CaptureController::busesOfDbc()
{
    if (!m_session.rowsPerBus())
        return { 0 };
    BusNames& buses = m_session.ingestion().buses();
    if (!m_latestValues.bus().empty())
        return { buses.find(m_latestValues.bus()) };
    std::vector<std::uint8_t> numbers;
    for (std::size_t number = 1; number <= buses.size(); ++number)
        numbers.push_back(static_cast<std::uint8_t>(number));
    return numbers;
}

void CaptureController::setRowsPerBus(bool on)
{
    if (on == m_session.rowsPerBus())
        return;
    m_session.setRowsPerBus(on);
    clearData();
    emit rowsPerBusChanged(on);
}

void CaptureController::setDbcBus(const QString& name)
{
    if (name == dbcBus())
        return;
    m_latestValues.setBus(name.toStdString(), &m_session.ingestion().recordBus());
    followDbc();
    emit dbcBusChanged(name);
}

void CaptureController::wireTimers()
{
    m_session.assembly().setYieldHook([this] { m_scanYield(); });
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
    return open(new BoardSource(m_session, m_port, m_connection, m_poll, *m_timer2));
}

void CaptureController::pollNow()
{
    if (m_source != nullptr)
        m_source->readNow();
    for (CaptureSource* added : m_addedSources)
        added->readNow();
}

bool CaptureController::addSource(const SourceAddress& address)
{
    const QString device = QString::fromStdString(address.device);
    const auto refuse = [this, &address](const QString& reason) {
        emit sourceRefused(address.kind == SourceAddress::Kind::Board ? CaptureSource::Kind::Board
                                                                      : CaptureSource::Kind::CanBus,
                           reason);
        return false;
    };
    std::vector<CaptureSource*> open = m_addedSources;
    if (m_source != nullptr)
        open.push_back(m_source);
    for (const CaptureSource* other : open) {
        if (address.kind == SourceAddress::Kind::Board && other->kind() == CaptureSource::Kind::Board)
            return refuse(QStringLiteral("The board's line is open already: it is one of the interfaces."));
        if (!device.isEmpty() && other->holds(device))
            return refuse(QStringLiteral("%1 is open already.").arg(device));
    }
    CaptureSource* source = nullptr;
    if (address.kind == SourceAddress::Kind::Board) {
        m_connection.setPortText(device);
        source = new BoardSource(m_session, m_port, m_connection, m_poll, *m_timer2);
    } else {
        source = makeLiveSource(address);
    }
    source->setParent(this);
    source->setClock(*m_wallClock);
    source->setBusName(freeBusName(source->busName()));
    if (!source->open()) {
        const QString reason = source->errorString();
        delete source;
        return refuse(reason);
    }
    m_addedSources.push_back(source);
    connect(source, &CaptureSource::lost, this, [this, source](const QString& reason) {
        const QString name = source->busName();
        endAddedSource(source);
        emit addedSourceLost(name, reason);
        emit addedSourcesChanged();
    });
    connect(source, &CaptureSource::remarkChanged, this, &CaptureController::addedSourcesChanged);
    if (source->kind() == CaptureSource::Kind::Board && m_upkeep == Upkeep::Run)
        m_timer3->setEnabled(true);
    emit addedSourcesChanged();
    return true;
}

void CaptureController::closeAddedSource(CaptureSource* source)
{
    if (std::find(m_addedSources.begin(), m_addedSources.end(), source) == m_addedSources.end())
        return;
    const QString closed = QStringLiteral("%1: %2").arg(source->busName(), source->description());
    endAddedSource(source);
    emit addedSourcesChanged();
    emit sourceClosed(closed);
}

void CaptureController::endAddedSource(CaptureSource* source)
{
    std::erase(m_addedSources, source);
    disconnect(source, nullptr, this, nullptr);
    if (source->kind() == CaptureSource::Kind::Board)
        m_session.assembly().discardCarriedRecord();
    source->close();
    source->release();
}

void CaptureController::closeAllSources()
{
    closeSource();
    if (m_addedSources.empty())
        return;
    while (!m_addedSources.empty())
        endAddedSource(m_addedSources.front());
    emit addedSourcesChanged();
}

QStringList CaptureController::busNames() const
{
    QStringList names;
    if (m_source != nullptr && m_source->hasBusName())
        names.append(m_source->busName());
    for (const CaptureSource* added : m_addedSources)
        names.append(added->busName());
    return names;
}

QString CaptureController::freeBusName(const QString& name) const
{
    const QStringList taken = busNames();
    if (!taken.contains(name))
        return name;
    QString stem = name;
    while (!stem.isEmpty() && stem.back().isDigit())
        stem.chop(1);
    for (int number = 0;; ++number) {
        const QString candidate = stem + QString::number(number);
        if (!taken.contains(candidate))
            return candidate;
    }
}

QString CaptureController::renameBus(CaptureSource* source, const QString& name)
{
    const QString old = source->busName();
    if (name == old)
        return {};
    if (name.isEmpty() || std::any_of(name.begin(), name.end(), [](QChar c) { return c.isSpace(); }))
        return QStringLiteral("A bus name is one word without spaces, as a log names its interfaces.");
    if (busNames().contains(name))
        return QStringLiteral("Another interface is on bus %1 already.").arg(name);
    // The rows of the old name are the renamed bus's: they go on under the new name.
    m_session.ingestion().buses().rename(old.toStdString(), name.toStdString());
    source->setBusName(name);
    if (dbcBus() == old)
        m_latestValues.setBus(name.toStdString(), &m_session.ingestion().recordBus());
    emit addedSourcesChanged();
    emit dbcBusChanged(dbcBus());
    return {};
}

bool CaptureController::connectTo(const SourceAddress& address)
{
    if (address.kind == SourceAddress::Kind::Board) {
        m_connection.setPortText(QString::fromStdString(address.device));
        return connectToCom();
    }
    return open(makeLiveSource(address), QString::fromStdString(address.device));
}

CaptureSource* CaptureController::makeLiveSource(const SourceAddress& address)
{
    const QString device = QString::fromStdString(address.device);
    if (address.kind == SourceAddress::Kind::Slcan)
        return new SlcanSource(m_session, device, address.bitRate);
    auto* source = new CanBusSource(m_session, QString::fromStdString(address.plugin), device);
    if (address.fd)
        source->askForCanFd(address.dataBitRate);
    return source;
}

bool CaptureController::openLog(const QString& path, LogReplay::Mode mode, const QString& interfaceName)
{
    return open(new ReplaySource(m_session, path, mode, interfaceName));
}

bool CaptureController::open(CaptureSource* source, const QString& device)
{
    source->setParent(this);
    source->setClock(*m_wallClock);
    if (m_source != nullptr && closesBefore(*source, device))
        closeSource();
    for (CaptureSource* added : std::vector<CaptureSource*>(m_addedSources)) {
        const bool sameKind = source->kind() == CaptureSource::Kind::Board && added->kind() == source->kind();
        if (sameKind || (!device.isEmpty() && added->holds(device)))
            endAddedSource(added);
    }
    if (!source->open()) {
        emit addedSourcesChanged();
        emit sourceRefused(source->kind(), source->errorString());
        delete source;
        return false;
    }
    // The new source replaces every open one.
    closeSource();
    while (!m_addedSources.empty())
        endAddedSource(m_addedSources.front());
    emit addedSourcesChanged();
    adopt(source);
    return true;
}

bool CaptureController::closesBefore(const CaptureSource& next, const QString& device) const
{
    if (next.kind() == CaptureSource::Kind::Board)
        return m_source->kind() != CaptureSource::Kind::Board;
    return !device.isEmpty() && m_source->holds(device);
}

void CaptureController::adopt(CaptureSource* source)
{
    m_source = source;
    connect(source, &CaptureSource::lost, this, &CaptureController::loseSource);
    connect(source, &CaptureSource::ended, this, &CaptureController::sourceEnded);
    connect(source, &CaptureSource::remarkChanged, this, [this] { setSourceDescription(describedSource()); });
    // Already running since start-up; enabling it again keeps its schedule.
    if (source->kind() == CaptureSource::Kind::Board && m_upkeep == Upkeep::Run)
        m_timer3->setEnabled(true);
    // The counts of the last replay would read as this source's.
    if (source->kind() != CaptureSource::Kind::Replay)
        setReplayCounts(std::nullopt);
    setSourceDescription(describedSource());
    if (LogReplay* replaying = replay()) {
        connect(replaying, &LogReplay::progressed, this, &CaptureController::takeReplayCounts);
        takeReplayCounts();
    }
}

QString CaptureController::describedSource() const
{
    const QString remark = m_source->remark();
    return remark.isEmpty() ? m_source->description() : QStringLiteral("%1 (%2)").arg(m_source->description(), remark);
}

void CaptureController::endSource()
{
    CaptureSource* source = std::exchange(m_source, nullptr);
    if (auto* replaySource = qobject_cast<ReplaySource*>(source)) {
        m_replayEndUs = replaySource->replay().latestFrameUs();
        m_framesAtReplayEnd = framesIngested();
        disconnect(&replaySource->replay(), nullptr, this, nullptr);
    }
    disconnect(source, nullptr, this, nullptr);
    // The unfinished record of the stream that ended must not be completed by the next one.
    m_session.assembly().discardCarriedRecord();
    source->close();
    // It may be telling of its own loss or end right now.
    source->release();
}

void CaptureController::loseSource(const QString& reason)
{
    if (m_source == nullptr)
        return;
    endSource();
    setSourceDescription({});
    emit sourceLost(reason);
}

void CaptureController::sourceEnded(const QString& error)
{
    takeReplayCounts();
    if (!error.isEmpty())
        emit sourceRefused(m_source->kind(), error);
    closeSource();
}

void CaptureController::closeSource()
{
    if (m_source == nullptr)
        return;
    const QString closed = m_sourceDescription;
    endSource();
    setSourceDescription({});
    emit sourceClosed(closed);
}

LogReplay* CaptureController::replay() const
{
    auto* replaySource = qobject_cast<ReplaySource*>(m_source);
    return replaySource != nullptr ? &replaySource->replay() : nullptr;
}

std::int64_t CaptureController::framesNowUs() const
{
    if (const LogReplay* replaying = replay(); replaying != nullptr && replaying->latestFrameUs())
        return *replaying->latestFrameUs();
    if (m_replayEndUs && framesIngested() == m_framesAtReplayEnd)
        return *m_replayEndUs;
    return m_wallClock->nowUs();
}

void CaptureController::takeReplayCounts()
{
    const LogReplay* replaying = replay();
    if (replaying == nullptr)
        return;
    setReplayCounts(ReplayCounts { replaying->frames(), replaying->malformedLines(), replaying->skippedFrames() });
}

void CaptureController::setReplayCounts(std::optional<ReplayCounts> counts)
{
    const auto same = [](const ReplayCounts& a, const ReplayCounts& b) {
        return a.frames == b.frames && a.malformedLines == b.malformedLines && a.skippedFrames == b.skippedFrames;
    };
    if (counts.has_value() == m_replayCounts.has_value() && (!counts || same(*counts, *m_replayCounts)))
        return;
    m_replayCounts = counts;
    emit replayCountsChanged();
}

void CaptureController::clearData()
{
    m_session.clear();
    m_latestValues.setDecoder(m_dbc.isOpen() ? &m_dbc.decoder() : nullptr);
    if (replay() == nullptr)
        setReplayCounts(std::nullopt);
}

void CaptureController::setSourceDescription(const QString& description)
{
    if (description == m_sourceDescription)
        return;
    m_sourceDescription = description;
    emit sourceChanged(m_sourceDescription);
}

void CaptureController::setNotesLog(MessageNotesLog* log)
{
    m_session.ingestion().setNotesLog(log);
}

void CaptureController::notesLogGone(const MessageNotesLog* log)
{
    if (m_session.ingestion().notesLog() == log)
        m_session.ingestion().setNotesLog(nullptr);
}

void CaptureController::setNotesRow(int position)
{
    if (position <= INT16_MAX)
        m_session.state().NotesRowIndex = static_cast<std::int16_t>(position);
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
        emit loggingStopped(m_logWriter.path(), reason);
    });
}

bool CaptureController::startLogging(const QString& path)
{
    if (const QString reason = m_logWriter.start(path); !reason.isEmpty()) {
        emit loggingRefused(path, reason);
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
    if (replay() != nullptr)
        closeSource();
}

} // namespace vexmoor
