#pragma once

#include "capture/formats/SourceAddress.h"
#include "capture/record/CaptureSession.h"
#include "emulation/ClockSeededRandom.h"
#include "emulation/InteriorEmulatorSlots.h"
#include "platform/EventLoopYield.h"
#include "serial/SerialConnection.h"
#include "serial/SerialPoll.h"
#include "sources/LogReplay.h"
#include "sources/LogWriter.h"
#include "upkeep/AutoFilterPurge.h"
#include "upkeep/ChangeMarkReset.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <optional>

namespace vexmoor {

class LiveSource;
class RandomSource;
class SerialPort;
class Timer;
class TimeOfDaySource;
class UserMessageBox;

// The capture without a window: the session, the one active source of records (the board on a
// serial port or a replayed log), the log of every frame, the upkeep of the table and the emulators,
// each driven by its named timer. The main window, the headless capture and the benchmarks each
// build one and command it; none of them wires a timer to a tick by hand. Its timers are its
// children, so that a window holding it finds them by name among its own.
class CaptureController final : public QObject {
    Q_OBJECT

public:
    // A capture that writes a log keeps every row it saw: it runs without the purge and the reset.
    enum class Upkeep { Run, Off };

    static constexpr int kFrameRateIntervalMs = 1000;

    CaptureController(SerialPort& port, UserMessageBox& messageBox, TimeOfDaySource& clock, Upkeep upkeep = Upkeep::Run,
                      QObject* parent = nullptr);
    ~CaptureController() override;
    Q_DISABLE_COPY_MOVE(CaptureController)

    CaptureSession& session() { return m_session; }
    SerialConnection& connection() { return m_connection; }
    InteriorEmulatorSlots& emulatorSlots() { return m_emulatorSlots; }
    Timer& emulationTimer() { return *m_timer1; }
    Timer& pollTimer() { return *m_timer2; }
    Timer& purgeTimer() { return *m_timer3; }
    Timer& resetTimer() { return *m_timer4; }
    Timer& interiorEmulatorTimer() { return *m_interiorEmulatorTimer; }

    // "Connect To COM": opens the board's port from the port text and starts polling it. A refusal
    // has already been shown in the "Invalid Port" box and leaves everything as it was.
    bool connectToCom();
    // Reads the port once outside the poll's schedule: the last read before a capture ends.
    void pollNow();

    // "Connect to CAN Interface...": the board on a serial port (as "Connect To COM" does, with the
    // port text set to the device), an slcan adapter or an interface of a Qt Serial Bus plugin. The
    // new source is opened before the old one is closed, so that a refusal, already shown in a
    // message box, leaves the capture as it was; only a source on the same device is closed first.
    bool connectTo(const SourceAddress& address);
    // The live source open now, if any.
    LiveSource* liveSource() const { return m_live; }

    bool hasSource() const { return m_source != Source::None; }
    // What the status bar names: "No source", or where the records come from.
    QString activeSourceDescription() const { return m_sourceDescription; }
    // Stops reading the active source and releases its device; opening another source calls this
    // first, so that records of two sources never mix.
    void closeSource();

    // "Open Log...": replays the file as the one source, at once or in time, with the frames of one
    // interface or of all (empty). A file that cannot be read or is no log has already been shown in
    // a message box and leaves everything as it was.
    bool openLog(const QString& path, LogReplay::Mode mode, const QString& interfaceName = {});
    // The replay under way, until it ends.
    LogReplay* replay() const { return m_replay; }
    // The table was cleared: the counts of a replay that ended went with the rows it filled. A replay
    // under way keeps counting what it hands on.
    void tableCleared();

    // Now on the frames' clock, in microseconds since the epoch, for whatever ages with the frames (the
    // fades and rates of the table): the wall clock, but during a replay of a log with time stamps the
    // latest time stamp it handed on, so that a paused replay stands still. After the replay the clock
    // stays where the log ended until another frame comes, so that the table keeps the log's last
    // moment.
    std::int64_t framesNowUs() const;

    // The sample generator, one record at a time or every tick of Timer1 while emulation is on.
    void setEmulation(bool on);
    bool isEmulating() const;
    void sendRandomSample();
    void sendUnimplemented();
    // Tests draw known numbers.
    void setRandomSource(RandomSource& random) { m_random = &random; }

    // Records that reached ingestion with a frame's shape, from any source, since the start.
    std::uint64_t framesIngested() const;
    // The rate since the previous sample, given the time that passed; the timer of the rate calls it
    // about once a second with the time it measured.
    double sampleFrameRate(std::chrono::milliseconds elapsed);
    double frameRate() const { return m_frameRate; }

    // The end of the run: no timer ticks again.
    void stopTimers();

    // Every frame from any source to a candump -L log at path. A file that cannot be written has
    // already been shown in the "Start Logging" box; a write that fails later stops the logging, is
    // shown once, and the capture goes on.
    bool startLogging(const QString& path);
    // Writes the rest of the log and closes it.
    void stopLogging();
    bool isLogging() const { return m_logWriter.isLogging(); }
    QString loggingPath() const { return m_logWriter.path(); }
    std::uint64_t framesLogged() const { return m_logWriter.framesLogged(); }
    std::uint64_t recordsNotLogged() const { return m_logWriter.recordsNotLogged(); }
    LogWriter& logWriter() { return m_logWriter; }

signals:
    void sourceChanged(const QString& description);
    // A source ended: closed for another one, by the user, or at the end of a replay.
    void sourceClosed(const QString& description);
    // The device of the source went away (pulled, or its bus went off): the source is closed, the
    // table stays, and the next connect starts afresh.
    void sourceLost(const QString& reason);
    void frameRateChanged(double framesPerSecond);
    // What the last replay handed on and what it could not read, as the status bar shows it; empty
    // once the table it filled was cleared or another source started.
    void replayStatusChanged(const QString& text);
    // Logging started or stopped, or its counts moved (at most once a second).
    void loggingChanged();

private:
    enum class Source { None, Board, Replay, Live };

    void wireTimers();
    void wireLogging();
    void ingestInteriorSlots();
    void setSource(Source source, const QString& description);
    LiveSource* makeLiveSource(const SourceAddress& address);
    bool isOpenOn(const QString& device) const;
    void adoptLiveSource(LiveSource* source);
    QString liveDescription() const;
    void endLiveSource();
    void loseSource(const QString& reason);
    void pollBoard();
    QString boardDescription() const;
    void endReplay();
    void showReplayCounts(const LogReplay& replay);
    void setReplayStatus(const QString& text);

    SerialPort& m_port;
    UserMessageBox& m_messageBox;
    Upkeep m_upkeep;
    CaptureSession m_session;
    Timer* m_timer1;
    Timer* m_timer2;
    Timer* m_timer3;
    Timer* m_timer4;
    Timer* m_interiorEmulatorTimer;
    SerialConnection m_connection;
    SerialPoll m_poll;
    AutoFilterPurge m_purge;
    ChangeMarkReset m_reset;
    EventLoopYield m_scanYield;
    ClockSeededRandom m_clockRandom;
    RandomSource* m_random = &m_clockRandom;
    InteriorEmulatorSlots m_emulatorSlots;

    Source m_source = Source::None;
    LogReplay* m_replay = nullptr;
    // Where the last replay ended on the frames' clock, and the frames ingested by then.
    std::optional<std::int64_t> m_replayEndUs;
    std::uint64_t m_framesAtReplayEnd = 0;
    QString m_replayStatus;
    LiveSource* m_live = nullptr;
    QString m_sourceDescription;
    QTimer m_frameRateTimer;
    QElapsedTimer m_sinceFrameRateSample;
    std::uint64_t m_framesAtLastSample = 0;
    double m_frameRate = 0;

    // After the session, so that it is gone, and its tap removed, before the session goes.
    LogWriter m_logWriter;
};

} // namespace vexmoor
