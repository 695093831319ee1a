#pragma once

#include "sources/CaptureSource.h"
#include "sources/LogReplay.h"

namespace vexmoor {

// A log replayed as the capture's source, at once or in time, with the frames of one interface or
// of all (an empty name). It ends by itself at the end of the file.
class ReplaySource final : public CaptureSource {
    Q_OBJECT

public:
    ReplaySource(CaptureSession& session, QString path, LogReplay::Mode mode, QString interfaceName,
                 QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ReplaySource)

    Kind kind() const override { return Kind::Replay; }
    // The log's frames keep their own interfaces' names.
    bool hasBusName() const override { return false; }
    // Opens the file and starts the replay, which hands nothing on before the next turn of the event
    // loop.
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_started && !m_replay->isFinished(); }
    // "Log drive.log".
    QString description() const override;
    quint64 frames() const override { return m_replay->frames(); }
    bool holds(const QString&) const override { return false; }
    // A replay stopped inside a scan that lets the event loop run ends once the scan returns: it is
    // deleted only then.
    void release() override;

    LogReplay& replay() { return *m_replay; }
    const LogReplay& replay() const { return *m_replay; }

private:
    LogReplay* m_replay;
    QString m_path;
    LogReplay::Mode m_mode;
    QString m_interfaceName;
    bool m_started = false;
};

} // namespace vexmoor
