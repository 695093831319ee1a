#pragma once

#include "capture/formats/CandumpRecorder.h"
#include "platform/OutputFile.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QTimer;

namespace vexmoor {

class CaptureSession;

// Writes every record that reaches the session's ingestion to a candump -L log while it runs. The
// lines collect in memory and go to the file whole at least once a second, each time flushed, so
// that the capture never waits for the disk and a crash loses at most the last second.
class LogWriter final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFlushIntervalMs = 1000;

    explicit LogWriter(CaptureSession& session, QObject* parent = nullptr);
    // Writes the rest and closes, without reporting: the run is ending.
    ~LogWriter() override;
    Q_DISABLE_COPY_MOVE(LogWriter)

    // The time stamp of a record whose source keeps no clock; taken by the next start. By default
    // the system clock in microseconds since the epoch.
    void setArrivalClock(CandumpRecorder::Clock clock) { m_arrivalClock = std::move(clock); }

    // Opens path (emptied) and logs from the next record on; a log already running is finished
    // first. On failure returns the file system's reason and logs nothing; an empty string is success.
    QString start(const QString& path);
    // Writes the rest and closes. A write that fails here is reported like any other.
    void stop();
    // Writes the lines collected so far; the flush timer calls it.
    void flush();

    bool isLogging() const { return m_file && m_file->isOpen(); }
    // The file of the running log, or of the last one.
    QString path() const { return m_path; }
    std::uint64_t framesLogged() const;
    std::uint64_t recordsNotLogged() const;

signals:
    // The counts moved since the last report; sent at most once per flush.
    void countsChanged();
    // A write failed: logging has stopped, the capture goes on. Sent once per log.
    void failed(const QString& reason);

private:
    bool writePending();
    void finish();

    CaptureSession& m_session;
    CandumpRecorder::Clock m_arrivalClock;
    std::unique_ptr<CandumpRecorder> m_recorder;
    // Emptied at the start and written in place as the capture runs; a device or a pipe stays one.
    std::unique_ptr<OutputFile> m_file;
    QString m_path;
    QTimer* m_flushTimer;
    std::string m_lines;
    std::uint64_t m_reportedFrames = 0;
    std::uint64_t m_reportedNotLogged = 0;
};

} // namespace vexmoor
