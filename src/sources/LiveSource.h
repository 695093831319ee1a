#pragma once

#include <QObject>
#include <QString>

namespace vexmoor {

class CaptureSession;

// A device that hands its frames to the session as they arrive: an slcan adapter on a serial port or
// an interface of a Qt Serial Bus plugin. It only listens. The controller opens one at a time, shows
// its description and remark, and hears from it when the device goes away.
class LiveSource : public QObject {
    Q_OBJECT

public:
    explicit LiveSource(CaptureSession& session, QObject* parent = nullptr)
        : QObject(parent)
        , m_session(session)
    {
    }

    // Opens the device and starts handing its frames on. A refusal leaves errorString() naming the
    // step that failed and why, the device closed and the session untouched.
    virtual bool open() = 0;
    // Stops reading and releases the device; closing a closed source does nothing and emits nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // What the status bar names while it is open, e.g. "slcan on /dev/ttyACM0 at 500 kbit/s".
    virtual QString description() const = 0;
    // Frames handed to the session since it was opened.
    virtual quint64 frames() const = 0;

    QString errorString() const { return m_error; }
    // How it runs, beside the description: a fallback it had to take, or the bus errors counted so
    // far; empty when there is nothing to say.
    QString remark() const { return m_remark; }

signals:
    // The device went away, or its bus went off: the source has already closed it. reason is a short
    // sentence for the status bar's "Disconnected: <reason>".
    void lost(const QString& reason);
    void remarkChanged(const QString& remark);

protected:
    CaptureSession& session() { return m_session; }
    void setErrorString(const QString& error) { m_error = error; }
    void setRemark(const QString& remark)
    {
        if (remark == m_remark)
            return;
        m_remark = remark;
        emit remarkChanged(m_remark);
    }
    // Closes the device, then tells the controller why.
    void reportLost(const QString& reason)
    {
        close();
        emit lost(reason);
    }

private:
    CaptureSession& m_session;
    QString m_error;
    QString m_remark;
};

} // namespace vexmoor
