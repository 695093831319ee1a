#pragma once

#include "capture/formats/LogFormat.h"
#include "capture/record/CanFrame.h"
#include "platform/SteadyClock.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace vexmoor {

class CaptureSession;
class LogFeed;
class MonotonicClock;

// A log file as a source of frames: a candump log or a GVRET CSV goes through LogFeed into the
// session's frame ingestion, board text through the session's serial assembly as if the board had
// sent it. Either all at once, a chunk per turn of the event loop so that the window stays usable,
// or in time: each frame when its recorded gap has passed on the replay's clock, which runs at the
// chosen speed and stands still while paused.
class LogReplay final : public QObject {
    Q_OBJECT

public:
    enum class Mode { AtOnce, InTime };

    static constexpr qint64 kDefaultChunkBytes = 64 * 1024;
    // Board text carries no time stamps: in time it arrives as fast as the board's line carries it
    // (38400 baud, ten bits a byte).
    static constexpr std::int64_t kBoardBytesPerSecond = 3840;
    static constexpr int kPlayIntervalMs = 10;

    // What the questions before a replay need to know, from the first part of the file.
    struct Preview {
        QString error; // empty: the file is a log
        LogFormat format = LogFormat::Unknown;
        QStringList interfaces;
    };
    static Preview preview(const QString& path);

    explicit LogReplay(CaptureSession& session, QObject* parent = nullptr);
    ~LogReplay() override;
    Q_DISABLE_COPY_MOVE(LogReplay)

    // Opens the file and decides its format from its content. A refusal leaves errorString() with the
    // reason, as a message to the user names it. interfaceName: only its frames are replayed; empty:
    // all of them.
    bool open(const QString& path, const QString& interfaceName = {});
    QString errorString() const { return m_error; }
    LogFormat format() const { return m_format; }

    // Tests cut the file in smaller pieces, and pace a replay with a clock they move.
    void setChunkBytes(qint64 bytes) { m_chunkBytes = bytes; }
    void setClock(MonotonicClock& clock) { m_clock = &clock; }

    // Begins the replay on the next turn of the event loop; nothing is handed on before.
    void start(Mode mode);
    Mode mode() const { return m_mode; }
    // Ends the replay where it stands: what was handed on stays, the rest of the file is left unread.
    // The cancel of a replay at once and the stop of one in time.
    void stop();
    bool isFinished() const { return m_state == State::Finished; }

    // In time only.
    void play();
    void pause();
    bool isPlaying() const { return m_state == State::Playing; }
    // 1 or 10 times the recorded pace.
    void setSpeed(int factor);
    int speed() const { return m_speed; }
    // Moves the replay's clock to the monotonic clock's now and hands on everything due by then; the
    // play timer calls it, tests call it after moving their clock.
    void catchUp();
    std::chrono::microseconds replayTime() const { return m_replayTime; }

    qint64 bytesRead() const { return m_bytesRead; }
    qint64 fileSize() const { return m_fileSize; }
    // Frames handed on to the session (board text: the records that reached ingestion as frames).
    std::uint64_t frames() const { return m_frames; }
    // The latest time stamp among the frames handed on, in microseconds since the epoch: where the
    // replay stands on the frames' clock. None before the first frame, and none for board text,
    // whose frames are stamped as they arrive.
    std::optional<std::int64_t> latestFrameUs() const { return m_latestFrameUs; }
    std::uint64_t malformedLines() const;
    std::uint64_t skippedFrames() const;
    QStringList interfaces() const;

signals:
    void progressed(qint64 bytesRead, qint64 fileSize);
    void playingChanged(bool playing);
    // Once, at the end of the file, at stop() or at a read error (errorString() says which).
    void finished();

private:
    enum class State { Idle, Running, Playing, Paused, Finished };
    struct PendingFrame {
        CanFrame frame;
        std::string interfaceName;
        std::chrono::microseconds due;
    };

    void readChunkAtOnce();
    // The next chunk into the feed; false at the end of the file or at a read error.
    bool readAndFeedChunk();
    // Reads up to maxBytes; false at the end of the file or at a read error.
    bool readChunk(qint64 maxBytes, std::string& bytes);
    bool pollBoard(std::string bytes);
    void queueFrame(const CanFrame& frame, std::string_view interfaceName);
    void handOn(const CanFrame& frame, std::string_view interfaceName);
    void handOnDueFrames();
    void handOnDueBoardText();
    void advanceReplayTime();
    void endOfFile();
    void finish();

    CaptureSession& m_session;
    SteadyClock m_steadyClock;
    MonotonicClock* m_clock = &m_steadyClock;
    QFile m_file;
    QString m_error;
    LogFormat m_format = LogFormat::Unknown;
    std::unique_ptr<LogFeed> m_feed;
    QTimer m_timer;
    qint64 m_chunkBytes = kDefaultChunkBytes;

    Mode m_mode = Mode::AtOnce;
    State m_state = State::Idle;
    bool m_busy = false; // inside a scan that lets the event loop run
    bool m_stopAsked = false; // stop() came while busy; the replay ends once the scan returns
    bool m_atEnd = false;

    int m_speed = 1;
    std::chrono::microseconds m_replayTime { 0 };
    std::chrono::microseconds m_clockAtLastCatchUp { 0 };
    std::deque<PendingFrame> m_pending;
    bool m_anyFrameQueued = false;
    std::int64_t m_lastTimestampUs = 0;
    std::chrono::microseconds m_lastDue { 0 };

    qint64 m_bytesRead = 0;
    qint64 m_fileSize = 0;
    std::uint64_t m_frames = 0;
    std::optional<std::int64_t> m_latestFrameUs;
    std::string m_unscanned; // board text that waits for the assembly
};

} // namespace vexmoor
