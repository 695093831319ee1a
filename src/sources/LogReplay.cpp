#include "sources/LogReplay.h"

#include "capture/formats/LogFeed.h"
#include "capture/record/BusyFlag.h"
#include "capture/record/CaptureSession.h"
#include "platform/MonotonicClock.h"

#include <QDir>

#include <algorithm>

namespace vexmoor {

namespace {

// How much of a file the preview reads for the interfaces it names: enough for every interface of
// a busy bus to have sent a frame.
constexpr qint64 kPreviewBytes = 64 * 1024;

QString cannotRead(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// Opens the file and lets the feed decide the format from the file's first bytes, looked at before
// they are read, so that the replay hands on every piece as it reads it; a refusal gives the message
// for it.
LogFormat openLog(QFile& file, const QString& path, LogFeed& feed, QString& error)
{
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = cannotRead(path, file.errorString());
        return LogFormat::Unknown;
    }
    const QByteArray head = file.peek(static_cast<qint64>(kLogDetectionBytes));
    if (head.isEmpty() && file.error() != QFileDevice::NoError) {
        error = cannotRead(path, file.errorString());
        return LogFormat::Unknown;
    }
    if (head.isEmpty()) {
        error = QStringLiteral("%1 is empty: there is nothing to replay.").arg(QDir::toNativeSeparators(path));
        return LogFormat::Unknown;
    }
    const LogFormat format = feed.decideFrom(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
    if (format == LogFormat::Unknown)
        error = QStringLiteral("%1 is not a candump log, a GVRET CSV or a board stream.")
                    .arg(QDir::toNativeSeparators(path));
    return format;
}

QStringList toQStringList(const std::vector<std::string>& names)
{
    QStringList list;
    for (const std::string& name : names)
        list.append(QString::fromStdString(name));
    return list;
}

} // namespace

LogReplay::Preview LogReplay::preview(const QString& path)
{
    Preview preview;
    QFile file;
    LogFeed feed(LogFeed::Sink { [](const CanFrame&, std::string_view) {}, [](std::string) {} });
    preview.format = openLog(file, path, feed, preview.error);
    if (preview.format != LogFormat::Candump && preview.format != LogFormat::Gvret)
        return preview;
    const QByteArray head = file.read(kPreviewBytes);
    feed.feed(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
    preview.interfaces = toQStringList(feed.interfaces());
    return preview;
}

LogReplay::LogReplay(CaptureSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("logReplay"));
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_mode == Mode::AtOnce)
            readChunkAtOnce();
        else
            catchUp();
    });
}

LogReplay::~LogReplay() = default;

bool LogReplay::open(const QString& path, const QString& interfaceName)
{
    m_error.clear();
    // Frames go to the session at once, or wait for their time; board text goes to the assembly as it
    // is read, paced (in time) by how much is read.
    const auto frameRead = [this](const CanFrame& frame, std::string_view name) {
        if (m_mode == Mode::AtOnce)
            handOn(frame, name);
        else
            queueFrame(frame, name);
    };
    const auto boardTextRead = [this](std::string bytes) { pollBoard(std::move(bytes)); };
    m_feed = std::make_unique<LogFeed>(LogFeed::Sink { frameRead, boardTextRead }, interfaceName.toStdString());
    m_format = openLog(m_file, path, *m_feed, m_error);
    if (m_format == LogFormat::Unknown) {
        m_file.close();
        return false;
    }
    m_fileSize = m_file.size();
    return true;
}

void LogReplay::start(Mode mode)
{
    if (m_state != State::Idle || !m_file.isOpen())
        return;
    m_mode = mode;
    if (mode == Mode::InTime) {
        play();
        return;
    }
    m_state = State::Running;
    m_timer.setInterval(0);
    m_timer.start();
}

void LogReplay::stop()
{
    finish();
}

void LogReplay::play()
{
    if (m_mode != Mode::InTime || (m_state != State::Idle && m_state != State::Paused) || !m_file.isOpen())
        return;
    m_clockAtLastCatchUp = m_clock->now();
    m_state = State::Playing;
    m_timer.setInterval(kPlayIntervalMs);
    m_timer.start();
    emit playingChanged(true);
}

void LogReplay::pause()
{
    if (m_state != State::Playing)
        return;
    // What was due by the moment of the pause still goes.
    catchUp();
    if (m_state != State::Playing)
        return;
    m_state = State::Paused;
    m_timer.stop();
    emit playingChanged(false);
}

void LogReplay::setSpeed(int factor)
{
    if (factor < 1)
        return;
    // The time played so far counts at the speed it was played at.
    if (m_state == State::Playing)
        advanceReplayTime();
    m_speed = factor;
}

void LogReplay::advanceReplayTime()
{
    const std::chrono::microseconds now = m_clock->now();
    if (now > m_clockAtLastCatchUp)
        m_replayTime += (now - m_clockAtLastCatchUp) * m_speed;
    m_clockAtLastCatchUp = now;
}

void LogReplay::catchUp()
{
    if (m_state != State::Playing || m_busy)
        return;
    advanceReplayTime();
    const std::uint64_t framesBefore = m_frames;
    const qint64 bytesBefore = m_bytesRead;
    if (m_format == LogFormat::BoardText)
        handOnDueBoardText();
    else
        handOnDueFrames();
    if (m_state != State::Finished && (m_frames != framesBefore || m_bytesRead != bytesBefore))
        emit progressed(m_bytesRead, m_fileSize);
    if (m_stopAsked)
        finish();
}

bool LogReplay::readAndFeedChunk()
{
    std::string bytes;
    if (!readChunk(m_chunkBytes, bytes))
        return false;
    m_feed->feed(bytes);
    if (m_file.atEnd())
        endOfFile();
    return true;
}

void LogReplay::readChunkAtOnce()
{
    if (m_state != State::Running || m_busy)
        return;
    if (!m_unscanned.empty() && !pollBoard(m_unscanned))
        return;
    if (!readAndFeedChunk())
        return;
    emit progressed(m_bytesRead, m_fileSize);
    // Board text that found the assembly busy is still to be scanned: the end comes on a later turn.
    if (m_stopAsked || (m_atEnd && m_unscanned.empty()))
        finish();
}

bool LogReplay::readChunk(qint64 maxBytes, std::string& bytes)
{
    bytes.resize(static_cast<std::size_t>(std::max<qint64>(maxBytes, 1)));
    const qint64 received = m_file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    if (received < 0) {
        m_error = cannotRead(m_file.fileName(), m_file.errorString());
        finish();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(received));
    m_bytesRead += received;
    if (received == 0) {
        endOfFile();
        finish();
        return false;
    }
    return true;
}

bool LogReplay::pollBoard(std::string bytes)
{
    // A scan of another stream further down the stack still holds the assembly (it lets the event
    // loop run, and this replay's timer with it): the text waits for the next turn.
    if (m_session.assembly().isScanning()) {
        m_unscanned = std::move(bytes);
        return false;
    }
    m_unscanned.clear();
    const BusyFlag busy(m_busy);
    const std::uint64_t before = m_session.ingestion().framesSeen();
    m_session.assembly().poll(std::move(bytes));
    m_frames += m_session.ingestion().framesSeen() - before;
    return true;
}

void LogReplay::queueFrame(const CanFrame& frame, std::string_view interfaceName)
{
    // Each frame is due its recorded gap after the one before; a clock that stepped back (a capture
    // that reset its clock) gives no gap, so that the replay neither stops nor waits on it.
    std::chrono::microseconds due { 0 };
    if (m_anyFrameQueued)
        due = m_lastDue + std::chrono::microseconds(std::max<std::int64_t>(0, frame.timestampUs - m_lastTimestampUs));
    m_anyFrameQueued = true;
    m_lastTimestampUs = frame.timestampUs;
    m_lastDue = due;
    m_pending.push_back({ frame, std::string(interfaceName), due });
}

void LogReplay::handOn(const CanFrame& frame, std::string_view interfaceName)
{
    m_session.ingestFrame(frame, interfaceName);
    ++m_frames;
    // The latest, not the last: a log whose clock stepped back does not take the replay back.
    if (!m_latestFrameUs || frame.timestampUs > *m_latestFrameUs)
        m_latestFrameUs = frame.timestampUs;
}

void LogReplay::handOnDueFrames()
{
    // Frames are read a chunk ahead of the replay's clock, never the whole file.
    while (m_state == State::Playing) {
        if (m_pending.empty()) {
            if (m_atEnd) {
                finish();
                return;
            }
            if (!readAndFeedChunk())
                return;
            continue;
        }
        if (m_pending.front().due > m_replayTime)
            return;
        const PendingFrame next = std::move(m_pending.front());
        m_pending.pop_front();
        handOn(next.frame, next.interfaceName);
    }
}

void LogReplay::handOnDueBoardText()
{
    if (!m_unscanned.empty() && !pollBoard(m_unscanned))
        return;
    const std::int64_t due = m_replayTime.count() * kBoardBytesPerSecond / 1'000'000;
    while (m_state == State::Playing && !m_stopAsked && m_bytesRead < due) {
        std::string bytes;
        if (!readChunk(std::min<qint64>(due - m_bytesRead, m_chunkBytes), bytes))
            return;
        m_feed->feed(bytes);
        // The assembly was busy with another stream: the text waits for the next turn.
        if (!m_unscanned.empty())
            return;
        if (m_file.atEnd()) {
            endOfFile();
            finish();
            return;
        }
    }
}

void LogReplay::endOfFile()
{
    if (m_atEnd)
        return;
    m_atEnd = true;
    // The last line of a file that does not end with a line end.
    m_feed->finish();
}

void LogReplay::finish()
{
    if (m_state == State::Finished)
        return;
    // A scan that lets the event loop run is under way further down the stack; it ends the replay
    // when it returns.
    if (m_busy) {
        m_stopAsked = true;
        return;
    }
    const bool wasPlaying = m_state == State::Playing;
    m_state = State::Finished;
    m_timer.stop();
    m_pending.clear();
    m_file.close();
    // The stream ended: a record it left unfinished must not be completed by the next source.
    if (m_format == LogFormat::BoardText)
        m_session.assembly().discardCarriedRecord();
    if (wasPlaying)
        emit playingChanged(false);
    emit finished();
}

std::uint64_t LogReplay::malformedLines() const
{
    return m_feed != nullptr ? m_feed->malformedLines() : 0;
}

std::uint64_t LogReplay::skippedFrames() const
{
    return m_feed != nullptr ? m_feed->skippedFrames() : 0;
}

QStringList LogReplay::interfaces() const
{
    return m_feed != nullptr ? toQStringList(m_feed->interfaces()) : QStringList();
}

} // namespace vexmoor
