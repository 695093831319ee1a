#include "app/ReplayToolBar.h"

#include "sources/LogReplay.h"

#include <QComboBox>
#include <QToolButton>

namespace vexmoor {

ReplayToolBar::ReplayToolBar(QWidget* parent)
    : QToolBar(QStringLiteral("Replay"), parent)
    , m_playPause(new QToolButton(this))
    , m_speed(new QComboBox(this))
{
    setObjectName(QStringLiteral("replayToolBar"));
    setMovable(false);
    m_playPause->setObjectName(QStringLiteral("replayPlayPause"));
    auto* stop = new QToolButton(this);
    stop->setObjectName(QStringLiteral("replayStop"));
    stop->setText(QStringLiteral("Stop"));
    m_speed->setObjectName(QStringLiteral("replaySpeed"));
    m_speed->addItems({ QStringLiteral("1x"), QStringLiteral("10x") });
    addWidget(m_playPause);
    addWidget(stop);
    addWidget(m_speed);
    showPlaying(false);
    hide();

    connect(m_playPause, &QToolButton::clicked, this, [this] {
        if (m_replay.isNull())
            return;
        if (m_replay->isPlaying())
            m_replay->pause();
        else
            m_replay->play();
    });
    connect(stop, &QToolButton::clicked, this, [this] {
        if (!m_replay.isNull())
            m_replay->stop();
    });
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_replay.isNull())
            m_replay->setSpeed(chosenSpeed());
    });
}

void ReplayToolBar::follow(LogReplay& replay)
{
    if (!m_replay.isNull())
        disconnect(m_replay, nullptr, this, nullptr);
    m_replay = &replay;
    replay.setSpeed(chosenSpeed());
    connect(&replay, &LogReplay::playingChanged, this, &ReplayToolBar::showPlaying);
    connect(&replay, &LogReplay::finished, this, &QWidget::hide);
    showPlaying(replay.isPlaying());
    setVisible(!replay.isFinished());
}

void ReplayToolBar::showPlaying(bool playing)
{
    m_playPause->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

int ReplayToolBar::chosenSpeed() const
{
    return m_speed->currentIndex() == 1 ? 10 : 1;
}

} // namespace vexmoor
