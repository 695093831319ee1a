#include "app/SuppressionControls.h"

#include "capture/record/FramesClock.h"

#include "views/MessageTableModel.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include <cmath>

namespace vexmoor {

namespace {

const QString kWindowSetting = QStringLiteral("suppression/windowSeconds");

std::optional<double> askWithDialog(double currentSeconds)
{
    bool taken = false;
    const double seconds
        = QInputDialog::getDouble(QApplication::activeWindow(), QStringLiteral("Suppression Window"),
                                  QStringLiteral("Suppress the bits that flipped within the last (seconds):"),
                                  currentSeconds, 0.1, SuppressionControls::kMaxWindowSeconds, 1, &taken);
    return taken ? std::optional<double>(seconds) : std::nullopt;
}

QString statusText(std::size_t maskedBits)
{
    return maskedBits == 1 ? QStringLiteral("1 bit suppressed") : QStringLiteral("%1 bits suppressed").arg(maskedBits);
}

} // namespace

SuppressionControls::SuppressionControls(QMenu& viewMenu, QStatusBar& statusBar, const ChangeTracker& changes,
                                         MessageTableModel& model, const FramesClock& clock, QObject* parent)
    : QObject(parent)
    , m_changes(changes)
    , m_model(&model)
    , m_clock(&clock)
    , m_suppress(new QAction(QStringLiteral("Suppress Current Changes"), this))
    , m_clear(new QAction(QStringLiteral("Clear Suppression"), this))
    , m_window(new QAction(QStringLiteral("Suppression Window..."), this))
    , m_askWindow(askWithDialog)
    , m_statusBar(statusBar)
    , m_status(new QLabel(&statusBar))
{
    viewMenu.addSeparator()->setObjectName(QStringLiteral("sepSuppression"));
    m_suppress->setObjectName(QStringLiteral("mnuViewSuppress"));
    // F8 rather than Ctrl+Space, which input methods commonly take for themselves.
    m_suppress->setShortcut(QKeySequence(Qt::Key_F8));
    m_clear->setObjectName(QStringLiteral("mnuViewClearSuppression"));
    viewMenu.addAction(m_suppress);
    viewMenu.addAction(m_clear);
    m_window->setObjectName(QStringLiteral("mnuViewSuppressionWindow"));
    viewMenu.addAction(m_window);
    m_status->setObjectName(QStringLiteral("statusSuppressed"));
    statusBar.addWidget(m_status);

    connect(m_suppress, &QAction::triggered, this, &SuppressionControls::suppressCurrentChanges);
    connect(m_clear, &QAction::triggered, this, &SuppressionControls::clearSuppression);
    connect(m_window, &QAction::triggered, this, &SuppressionControls::askForWindow);
    if (const QVariant remembered = QSettings().value(kWindowSetting); remembered.isValid())
        setWindowSeconds(remembered.toDouble());
    m_model->setSuppression(&m_mask);
    showState();
}

SuppressionControls::~SuppressionControls()
{
    if (m_model != nullptr)
        m_model->setSuppression(nullptr);
}

bool SuppressionControls::setWindowSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0 || seconds > kMaxWindowSeconds)
        return false;
    m_windowUs = std::llround(seconds * 1e6);
    return true;
}

void SuppressionControls::askForWindow()
{
    const std::optional<double> seconds = m_askWindow(static_cast<double>(m_windowUs) / 1e6);
    if (seconds && setWindowSeconds(*seconds))
        QSettings().setValue(kWindowSetting, *seconds);
}

void SuppressionControls::suppressCurrentChanges()
{
    const std::size_t flipped = m_mask.suppressRecent(m_changes, m_clock->nowUs(), m_windowUs);
    if (m_model != nullptr)
        m_model->suppressionChanged();
    showState();
    emit maskChanged();
    // Otherwise the key seems to do nothing. The message covers the count beside it, so it says it too.
    if (flipped == 0) {
        const std::size_t maskedBits = m_mask.maskedBits();
        m_statusBar.showMessage(
            QStringLiteral("Nothing changed in the last %1 s; %2")
                .arg(QString::number(static_cast<double>(m_windowUs) / 1e6),
                     maskedBits > 0 ? statusText(maskedBits) : QStringLiteral("nothing suppressed")),
            kStatusMessageMs);
    }
}

void SuppressionControls::clearSuppression()
{
    m_mask.clear();
    if (m_model != nullptr)
        m_model->suppressionChanged();
    showState();
    emit maskChanged();
}

void SuppressionControls::replaceMask(SuppressionMask mask)
{
    m_mask = std::move(mask);
    if (m_model != nullptr)
        m_model->suppressionChanged();
    showState();
    emit maskChanged();
}

void SuppressionControls::showState()
{
    const std::size_t maskedBits = m_mask.maskedBits();
    m_clear->setEnabled(maskedBits > 0);
    m_status->setText(maskedBits > 0 ? statusText(maskedBits) : QString());
    m_status->setVisible(maskedBits > 0);
}

} // namespace vexmoor
