#pragma once

#include "capture/changes/SuppressionMask.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace vexmoor {

class FramesClock;

class ChangeTracker;
class MessageTableModel;

// The window's side of suppression: "Suppress Current Changes", "Clear Suppression" and "Suppression
// Window..." at the end of the View menu, and the status bar's count of the suppressed bits. It owns
// the mask the table paints by. Clearing the table's data keeps the mask: the bits that always move
// still do. The window is kept in the settings for the next run.
class SuppressionControls final : public QObject {
    Q_OBJECT

public:
    // Asks the person for the window in seconds, showing the current one; empty when they cancel.
    using WindowAsker = std::function<std::optional<double>(double currentSeconds)>;
    // The longest window taken: longer than any drive, short of an overflow in microseconds.
    static constexpr double kMaxWindowSeconds = 24.0 * 60 * 60;
    static constexpr int kStatusMessageMs = 5000;

    // nowUs reads the frames' clock, the one the tracker's flips are stamped on.
    SuppressionControls(QMenu& viewMenu, QStatusBar& statusBar, const ChangeTracker& changes, MessageTableModel& model,
                        const FramesClock& clock, QObject* parent);
    ~SuppressionControls() override;
    Q_DISABLE_COPY_MOVE(SuppressionControls)

    // How far back "Suppress Current Changes" looks. A window not above 0 or past kMaxWindowSeconds
    // is refused (false) and the last one kept.
    bool setWindowSeconds(double seconds);
    std::int64_t windowUs() const { return m_windowUs; }
    void setClock(const FramesClock& clock) { m_clock = &clock; }
    // Where "Suppression Window..." asks: an input dialog unless a test answers instead.
    void setWindowAsker(WindowAsker asker) { m_askWindow = std::move(asker); }
    void askForWindow();
    const SuppressionMask& mask() const { return m_mask; }

    void suppressCurrentChanges();
    void clearSuppression();
    // The mask replaced by the one given, as a session brings it.
    void replaceMask(SuppressionMask mask);

signals:
    // The mask changed: what paints or ranks by it looks again.
    void maskChanged();

private:
    void showState();

    const ChangeTracker& m_changes;
    // The window deletes its table's model before its other children.
    QPointer<MessageTableModel> m_model;
    const FramesClock* m_clock;
    std::int64_t m_windowUs = SuppressionMask::kDefaultWindowUs;
    SuppressionMask m_mask;
    QAction* m_suppress;
    QAction* m_clear;
    QAction* m_window;
    WindowAsker m_askWindow;
    QStatusBar& m_statusBar;
    QLabel* m_status;
};

} // namespace vexmoor
