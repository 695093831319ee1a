#include "app/FrameHistoryControls.h"

#include "capture/changes/FrameHistory.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QSettings>

namespace vexmoor {

namespace {

const QString kLimitSetting = QStringLiteral("frameHistory/limitMB");
constexpr std::size_t kBytesPerMegabyte = std::size_t { 1 } << 20;

std::optional<int> askWithDialog(int currentMegabytes)
{
    bool taken = false;
    const int megabytes = QInputDialog::getInt(
        QApplication::activeWindow(), QStringLiteral("Frame History Limit"),
        QStringLiteral("Keep the frames of the past in at most (MB; an 8-byte frame takes 15 bytes):"),
        currentMegabytes, FrameHistoryControls::kMinMegabytes, FrameHistoryControls::kMaxMegabytes, 1, &taken);
    return taken ? std::optional<int>(megabytes) : std::nullopt;
}

} // namespace

FrameHistoryControls::FrameHistoryControls(QMenu& viewMenu, FrameHistory& history, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_limit(new QAction(QStringLiteral("Frame History Limit..."), this))
    , m_askLimit(askWithDialog)
{
    viewMenu.addSeparator()->setObjectName(QStringLiteral("sepFrameHistory"));
    m_limit->setObjectName(QStringLiteral("mnuViewFrameHistoryLimit"));
    viewMenu.addAction(m_limit);
    connect(m_limit, &QAction::triggered, this, &FrameHistoryControls::askForLimit);
    // A setting that is no number in range, typed by hand, leaves the default.
    bool isNumber = false;
    const int remembered = QSettings().value(kLimitSetting).toInt(&isNumber);
    if (isNumber)
        setLimitMegabytes(remembered);
}

void FrameHistoryControls::askForLimit()
{
    if (const std::optional<int> megabytes = m_askLimit(limitMegabytes()); megabytes && setLimitMegabytes(*megabytes))
        QSettings().setValue(kLimitSetting, *megabytes);
}

bool FrameHistoryControls::setLimitMegabytes(int megabytes)
{
    if (megabytes < kMinMegabytes || megabytes > kMaxMegabytes)
        return false;
    m_history.setLimitBytes(static_cast<std::size_t>(megabytes) * kBytesPerMegabyte);
    return true;
}

int FrameHistoryControls::limitMegabytes() const
{
    return static_cast<int>(m_history.limitBytes() / kBytesPerMegabyte);
}

} // namespace vexmoor
