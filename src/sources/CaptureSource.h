#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

namespace vexmoor {

class CaptureSession;
class FramesClock;

// Where the capture's records come from: the board's line, an slcan adapter, an interface of a Qt
// Serial Bus plugin or a replayed log. Each is made with what it opens (a port, an address, a file),
// hands its frames or records to the session as they come, and says so when it cannot open or goes
// away. The controller holds the one open now through this, with one way to open, close and lose it.
class CaptureSource : public QObject {
    Q_OBJECT

public:
    enum class Kind { Board, Slcan, CanBus, Replay };

    explicit CaptureSource(CaptureSession& session, QObject* parent = nullptr);

    virtual Kind kind() const = 0;
    // Opens the device or file and starts handing on. A refusal leaves errorString() naming the step
    // that failed and why, the device closed and the session untouched.
    virtual bool open() = 0;
    // Stops and releases the device; closing a closed source does nothing and emits nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // What the status bar names while it is open, e.g. "slcan on /dev/ttyACM0 at 500 kbit/s".
    virtual QString description() const = 0;
    // Frames handed to the session since it was opened.
    virtual quint64 frames() const = 0;
    // A device opens once: whether this source holds the one named (a port, an interface).
    virtual bool holds(const QString& device) const { return description().contains(device); }
    // Takes what waits at the device outside the source's own schedule: the last read before a
    // capture ends.
    virtual void readNow() { }
    // Deletes the closed source once nothing of it runs any more.
    virtual void release() { deleteLater(); }

    QString errorString() const { return m_error; }
    // The bus its frames are on, as the Bus column, the frames' key and a log name it ("can0",
    // "slcan0", "board"); a replayed log's frames keep their own interfaces' names. Set before it opens
    // or while it runs: frames from then on carry the new name.
    QString busName() const { return QString::fromStdString(m_busName); }
    virtual void setBusName(const QString& name) { m_busName = name.toStdString(); }
    // Whether it has a bus name of its own: a replay has not.
    virtual bool hasBusName() const { return true; }
    // How it runs, beside the description: a fallback it had to take, or the bus errors counted so
    // far; empty when there is nothing to say.
    QString remark() const { return m_remark; }

    // What stamps the frames that carry no time of their own; the wall clock unless given another,
    // which must outlive the source.
    void setClock(const FramesClock& clock) { m_clock = &clock; }

signals:
    // The device went away, or its bus went off: the source has already closed it. reason is a short
    // sentence for the status bar's "Disconnected: <reason>".
    void lost(const QString& reason);
    void remarkChanged(const QString& remark);
    // A source that ends by itself (a log at its end) ended; error says why it stopped early, or is
    // empty. It may still be inside its own reading: it is deleted later, not at once.
    void ended(const QString& error);

protected:
    CaptureSession& session() { return m_session; }
    const CaptureSession& session() const { return m_session; }
    std::int64_t arrivalUs() const;
    void setErrorString(const QString& error) { m_error = error; }
    // The bus name as ingestion is handed it with every frame.
    const std::string& busKey() const { return m_busName; }
    void setRemark(const QString& remark);
    // Closes the device, then tells the controller why.
    void reportLost(const QString& reason);

private:
    CaptureSession& m_session;
    const FramesClock* m_clock;
    QString m_error;
    std::string m_busName;
    QString m_remark;
};

} // namespace vexmoor
