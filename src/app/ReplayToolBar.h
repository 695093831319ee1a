#pragma once

#include <QPointer>
#include <QToolBar>

class QComboBox;
class QToolButton;

namespace vexmoor {

class LogReplay;

// The commands of a log replayed in time: play and pause, stop, and the speed. Shown while such a
// replay runs, hidden when it ends.
class ReplayToolBar final : public QToolBar {
    Q_OBJECT

public:
    explicit ReplayToolBar(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ReplayToolBar)

    // Commands this replay from now on, at the speed chosen last.
    void follow(LogReplay& replay);

private:
    void showPlaying(bool playing);
    int chosenSpeed() const;

    QPointer<LogReplay> m_replay;
    QToolButton* m_playPause;
    QComboBox* m_speed;
};

} // namespace vexmoor
