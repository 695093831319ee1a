#include "app/StatusBarControls.h"

#include "app/BusStatusParts.h"
#include "sources/CaptureSource.h"

#include <QLabel>
#include <QLocale>
#include <QStatusBar>

#include <cmath>

namespace vexmoor {

namespace {

QString counted(std::uint64_t count, const QString& singular, const QString& plural)
{
    return QStringLiteral("%1 %2").arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(count)),
                                       count == 1 ? singular : plural);
}

} // namespace

StatusBarControls::StatusBarControls(QStatusBar& statusBar, CaptureController& controller, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_source(new QLabel(&statusBar))
    , m_replay(new QLabel(&statusBar))
{
    setObjectName(QStringLiteral("statusBarControls"));
    m_source->setObjectName(QStringLiteral("statusSource"));
    statusBar.addWidget(m_source, 1);
    showSource(controller.activeSourceDescription());
    new BusStatusParts(statusBar, *m_source, controller, this);
    // Beside others, the source open now is led by its bus's name too.
    connect(&controller, &CaptureController::addedSourcesChanged, this,
            [this] { showSource(m_controller.activeSourceDescription()); });
    // One source at a time: the bar says which one went when another took its place.
    connect(&controller, &CaptureController::sourceClosed, &statusBar, [&statusBar](const QString& closed) {
        statusBar.showMessage(QStringLiteral("Closed %1").arg(closed), kClosedSourceMessageMs);
    });
    connect(&controller, &CaptureController::sourceChanged, this, &StatusBarControls::showSource);
    // No "Closed" note for a lost source: the bar keeps the reason until the next source.
    connect(&controller, &CaptureController::sourceLost, m_source,
            [this](const QString& reason) { m_source->setText(QStringLiteral("Disconnected: %1").arg(reason)); });

    m_replay->setObjectName(QStringLiteral("statusReplay"));
    m_replay->hide();
    statusBar.addPermanentWidget(m_replay);
    connect(&controller, &CaptureController::replayCountsChanged, this, &StatusBarControls::showReplayCounts);

    auto* rate = new QLabel(&statusBar);
    rate->setObjectName(QStringLiteral("statusRate"));
    statusBar.addPermanentWidget(rate);
    auto showRate = [rate](double framesPerSecond) {
        rate->setText(QStringLiteral("%1 frames/s").arg(std::lround(framesPerSecond)));
    };
    showRate(controller.frameRate());
    connect(&controller, &CaptureController::frameRateChanged, rate, showRate);
}

QString StatusBarControls::replayText(const CaptureController::ReplayCounts& counts)
{
    QString text = counted(counts.frames, QStringLiteral("frame"), QStringLiteral("frames")) + QStringLiteral(", ")
        + counted(counts.malformedLines, QStringLiteral("malformed line"), QStringLiteral("malformed lines"));
    if (counts.skippedFrames > 0)
        text += QStringLiteral(", ")
            + counted(counts.skippedFrames, QStringLiteral("skipped frame"), QStringLiteral("skipped frames"));
    return text;
}

void StatusBarControls::showSource(const QString& description)
{
    const CaptureSource* source = m_controller.source();
    const bool amongOthers
        = source != nullptr && source->hasBusName() && !m_controller.addedSources().empty() && !description.isEmpty();
    if (amongOthers)
        m_source->setText(QStringLiteral("%1: %2").arg(source->busName(), description));
    else
        m_source->setText(description.isEmpty() ? QStringLiteral("No source") : description);
}

void StatusBarControls::showReplayCounts()
{
    const auto& counts = m_controller.replayCounts();
    m_replay->setText(counts ? replayText(*counts) : QString());
    m_replay->setVisible(counts.has_value());
}

} // namespace vexmoor
