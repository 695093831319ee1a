#pragma once

#include <QObject>

#include <cstddef>
#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace vexmoor {

class FrameHistory;

// "Frame History Limit..." at the end of the View menu: how much memory the history of every frame
// may take before its oldest frames go. The limit is kept in the settings for the next run, where a
// user can also set it by hand ("frameHistory/limitMB").
class FrameHistoryControls final : public QObject {
    Q_OBJECT

public:
    // Asks the person for the limit in megabytes, showing the current one; empty when they cancel.
    using LimitAsker = std::function<std::optional<int>(int currentMegabytes)>;
    static constexpr int kMinMegabytes = 1;
    static constexpr int kMaxMegabytes = 64 * 1024;

    FrameHistoryControls(QMenu& viewMenu, FrameHistory& history, QObject* parent);
    Q_DISABLE_COPY_MOVE(FrameHistoryControls)

    // Where "Frame History Limit..." asks: an input dialog unless a test answers instead.
    void setLimitAsker(LimitAsker asker) { m_askLimit = std::move(asker); }
    void askForLimit();
    // A limit outside kMinMegabytes to kMaxMegabytes is refused (false) and the last one kept.
    bool setLimitMegabytes(int megabytes);
    int limitMegabytes() const;

private:
    FrameHistory& m_history;
    QAction* m_limit;
    LimitAsker m_askLimit;
};

} // namespace vexmoor
