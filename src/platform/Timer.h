#pragma once

#include <QObject>
#include <QTimer>

namespace vexmoor {

// A timer of the main window, named as the routines name it (Timer2, Timer3, ...). Unlike a bare
// QTimer, setting the interval never changes the enabled flag, enabling a timer that is already
// enabled leaves its next tick where it was, and an interval of 0 gives no ticks at all (rather than
// a tick at every turn of the event loop) until a non-zero interval is set.
class Timer final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)

public:
    Timer(const QString& name, int intervalMs, bool enabled, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Timer)

    int interval() const { return m_interval; }
    void setInterval(int intervalMs);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

signals:
    void tick();

private:
    void restart();

    QTimer m_timer;
    int m_interval = 0;
    bool m_enabled = false;
};

} // namespace vexmoor
