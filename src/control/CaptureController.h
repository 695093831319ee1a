#pragma once

#include "capture/formats/SourceAddress.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/FramesClock.h"
#include "capture/signals/LatestSignalValues.h"
#include "control/DbcDocument.h"
#include "control/SessionDocument.h"
#include "emulation/ClockSeededRandom.h"
#include "emulation/InteriorEmulatorSlots.h"
#include "platform/EventLoopYield.h"
#include "platform/WallClock.h"
#include "serial/SerialConnection.h"
#include "serial/SerialPoll.h"
#include "sources/CaptureSource.h"
#include "sources/LogReplay.h"
#include "sources/LogWriter.h"
#include "upkeep/AutoFilterPurge.h"
#include "upkeep/ChangeMarkReset.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vexmoor {

class MessageNotesLog;
class RandomSource;
class SerialPort;
class Timer;
class TimeOfDaySource;

// The capture without a window: the session, the one source of records open now, the log of every
// frame, the upkeep of the table and the emulators, each driven by its named timer. The main window,
// the headless capture and the benchmarks each build one and command it; none of them wires a timer
// to a tick by hand. It tells what happens (a source opened, refused, lost or ended, logging failed)
// through its signals and shows nothing itself. Its timers are its children, so that a window holding
// it finds them by name among its own.
class CaptureController final : public QObject {
    Q_OBJECT

public:
    // A capture that writes a log keeps every row it saw: it runs without the purge and the reset.
    enum class Upkeep { Run, Off };

    // What a replay handed on and could not read.
    struct ReplayCounts {
        std::uint64_t frames = 0;
        std::uint64_t malformedLines = 0;
        std::uint64_t skippedFrames = 0;
    };

    static constexpr int kFrameRateIntervalMs = 1000;

    CaptureController(SerialPort& port, TimeOfDaySource& clock, Upkeep upkeep = Upkeep::Run, QObject* parent = nullptr);
    ~CaptureController() override;
    Q_DISABLE_COPY_MOVE(CaptureController)

    CaptureSession& session() { return m_session; }
    SerialConnection& connection() { return m_connection; }
    InteriorEmulatorSlots& emulatorSlots() { return m_emulatorSlots; }
    // The signal database open in the window, if any, and the latest value of each of its signals,
    // decoded as the frames are ingested and, when it opens, from the frame history.
    DbcDocument& dbc() { return m_dbc; }
    // The session file: what the user set up, gathered from the controller and the window's parts.
    SessionDocument& sessionDocument() { return *m_sessionDocument; }
    const LatestSignalValues& latestSignalValues() const { return m_latestValues; }
    Timer& emulationTimer() { return *m_timer1; }
    Timer& pollTimer() { return *m_timer2; }
    Timer& purgeTimer() { return *m_timer3; }
    Timer& resetTimer() { return *m_timer4; }
    Timer& interiorEmulatorTimer() { return *m_interiorEmulatorTimer; }

    // The wall clock that stamps what carries no time of its own and that the frames' clock falls
    // back on; tests give one that stands still. It must outlive the controller.
    void setWallClock(const FramesClock& clock);
    // Now on the frames' clock, for whatever ages with the frames (the fades and rates of the table,
    // the bit view, the plot, the marks): the wall clock, but during a replay of a log with time
    // stamps the latest time stamp it handed on, so that a paused replay stands still. After the
    // replay the clock stays where the log ended until another frame comes, so that the table keeps
    // the log's last moment.
    const FramesClock& framesClock() const { return m_framesClock; }
    std::int64_t framesNowUs() const;

    // "Connect To COM": opens the board's port from the port text and starts polling it.
    bool connectToCom();
    // Reads the open source once outside its schedule: the last read before a capture ends.
    void pollNow();
    // "Connect to CAN Interface...": the board on a serial port (as "Connect To COM" does, with the
    // port text set to the device), an slcan adapter or an interface of a Qt Serial Bus plugin.
    bool connectTo(const SourceAddress& address);
    // "Open Log...": replays the file as the source, at once or in time, with the frames of one
    // interface or of all (empty).
    bool openLog(const QString& path, LogReplay::Mode mode, const QString& interfaceName = {});
    // The one way a source opens, whatever its kind. The new source is opened before the old one is
    // closed, so that a refusal (told through sourceRefused) leaves the capture as it was. Only a
    // source on the same device is closed first; the board's own connect refuses its open port, so a
    // source of another kind is closed before the board is tried. Takes the source over.
    bool open(CaptureSource* source, const QString& device = {});
    // Stops reading the source open now and releases its device; opening another source calls this
    // first, so that records of two sources never mix.
    void closeSource();

    CaptureSource* source() const { return m_source; }
    bool hasSource() const { return m_source != nullptr || !m_addedSources.empty(); }

    // "Add CAN Interface...": a live source beside those open, on a bus of its own. Its bus takes the
    // source's own name, or the next free one of its kind ("slcan1" beside "slcan0"). A refusal is told
    // through sourceRefused and leaves the others as they were.
    bool addSource(const SourceAddress& address);
    // The sources added beside the one open now, in the order they came.
    const std::vector<CaptureSource*>& addedSources() const { return m_addedSources; }
    // Closes one added source; the others go on.
    void closeAddedSource(CaptureSource* source);
    // Gives an open source's bus another name. Refused (with why) when the name is empty, holds white
    // space (a log could not keep it) or is another open source's.
    QString renameBus(CaptureSource* source, const QString& name);
    // "Disconnect": every source, the one open now and those added.
    void closeAllSources();

    // A row per bus and identifier, or one per identifier. Switching clears what the frames left, as
    // "&Clear All Data in the List" does.
    void setRowsPerBus(bool on);
    bool rowsPerBus() const { return m_session.rowsPerBus(); }
    // The bus the open database decodes, by name; empty: every bus.
    void setDbcBus(const QString& name);
    QString dbcBus() const { return QString::fromStdString(m_latestValues.bus()); }
    // The names of the open sources' buses, the one open now first.
    QStringList busNames() const;
    // What the open source names itself, with its remark; empty while none is open.
    QString activeSourceDescription() const { return m_sourceDescription; }
    // The replay under way, until it ends.
    LogReplay* replay() const;
    // The counts of the replay under way, or of the last one until the table it filled was cleared
    // or another source started.
    const std::optional<ReplayCounts>& replayCounts() const { return m_replayCounts; }

    // "&Clear All Data in the List": the session's data goes, and with the rows the counts of a
    // replay that ended. A replay under way keeps counting what it hands on.
    void clearData();

    // The notes window while it is open: ingestion hands it the records of the row it shows as they
    // come, within the same step that folds them into the table.
    void setNotesLog(MessageNotesLog* log);
    // The notes window went away; a newer one stays.
    void notesLogGone(const MessageNotesLog* log);
    // The row the notes window shows, counted from 1.
    void setNotesRow(int position);

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

    // Every frame from any source to a candump -L log at path. A file that cannot be written is told
    // through loggingRefused; a write that fails later stops the logging, is told once through
    // loggingStopped, and the capture goes on.
    bool startLogging(const QString& path);
    // Writes the rest of the log and closes it.
    void stopLogging();
    bool isLogging() const { return m_logWriter.isLogging(); }
    QString loggingPath() const { return m_logWriter.path(); }
    std::uint64_t framesLogged() const { return m_logWriter.framesLogged(); }
    std::uint64_t recordsNotLogged() const { return m_logWriter.recordsNotLogged(); }
    LogWriter& logWriter() { return m_logWriter; }

signals:
    // A source was added beside the one open now, closed or lost, or a bus was renamed.
    void addedSourcesChanged();
    // An added source went away; the others go on.
    void addedSourceLost(const QString& busName, const QString& reason);
    void rowsPerBusChanged(bool on);
    void dbcBusChanged(const QString& name);
    // The source open now names itself so; empty once none is open.
    void sourceChanged(const QString& description);
    // A source ended: closed for another one, by the user, or at the end of a replay.
    void sourceClosed(const QString& description);
    // The device of the source went away (pulled, or its bus went off): the source is closed, the
    // table stays, and the next connect starts afresh.
    void sourceLost(const QString& reason);
    // A source would not open, or a replay stopped at a read error; the capture goes on as it was.
    void sourceRefused(vexmoor::CaptureSource::Kind kind, const QString& reason);
    void frameRateChanged(double framesPerSecond);
    void replayCountsChanged();
    // Logging started or stopped, or its counts moved (at most once a second).
    void loggingChanged();
    void loggingRefused(const QString& path, const QString& reason);
    void loggingStopped(const QString& path, const QString& reason);

private:
    // The frames' clock as the views read it.
    class FramesNow final : public FramesClock {
    public:
        explicit FramesNow(const CaptureController& controller)
            : m_controller(controller)
        {
        }
        std::int64_t nowUs() const override { return m_controller.framesNowUs(); }

    private:
        const CaptureController& m_controller;
    };

    void wireTimers();
    // A bus name no open source has: name itself, or its stem with the next free number.
    QString freeBusName(const QString& name) const;
    void endAddedSource(CaptureSource* source);
    std::vector<std::uint8_t> busesOfDbc();
    void followDbc();
    void wireLogging();
    void ingestInteriorSlots();
    CaptureSource* makeLiveSource(const SourceAddress& address);
    bool closesBefore(const CaptureSource& next, const QString& device) const;
    void adopt(CaptureSource* source);
    QString describedSource() const;
    void endSource();
    void loseSource(const QString& reason);
    void sourceEnded(const QString& error);
    void takeReplayCounts();
    void setReplayCounts(std::optional<ReplayCounts> counts);
    void setSourceDescription(const QString& description);

    SerialPort& m_port;
    Upkeep m_upkeep;
    WallClock m_exactWallClock;
    WallClock m_coarseWallClock { WallClock::Precision::Coarse };
    const FramesClock* m_wallClock = &m_exactWallClock;
    FramesNow m_framesClock { *this };
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
    DbcDocument m_dbc;
    LatestSignalValues m_latestValues;
    SessionDocument* m_sessionDocument = new SessionDocument(*this, this);

    CaptureSource* m_source = nullptr;
    std::vector<CaptureSource*> m_addedSources;
    QString m_sourceDescription;
    // Where the last replay ended on the frames' clock, and the frames ingested by then.
    std::optional<std::int64_t> m_replayEndUs;
    std::uint64_t m_framesAtReplayEnd = 0;
    std::optional<ReplayCounts> m_replayCounts;
    QTimer m_frameRateTimer;
    QElapsedTimer m_sinceFrameRateSample;
    std::uint64_t m_framesAtLastSample = 0;
    double m_frameRate = 0;

    // After the session, so that it is gone, and its tap removed, before the session goes.
    LogWriter m_logWriter;
};

} // namespace vexmoor
