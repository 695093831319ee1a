#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;

namespace vexmoor {

class FileChooser;
class SessionDocument;
class UserMessageBox;
class frmMain;

// Sessions in the window: "Open Session...", "Save Session", "Save Session As...", "Recent Sessions"
// and "Restore Last Session" in the File menu, the session's name in the status bar, and the recovery
// file. The recovery file is written about a second after something changed, and at most once a
// minute while changes keep coming, so that a crash, or Exit, which ends the run at once, loses at
// most that much. The recovery file of the run before is kept aside at start for "Restore Last
// Session"; start-up itself opens nothing.
class SessionControls final : public QObject {
    Q_OBJECT

public:
    static constexpr std::int64_t kSettleMs = 1000;
    static constexpr std::int64_t kMostOftenMs = 60'000;

    SessionControls(frmMain& window, QMenu& fileMenu, UserMessageBox& messageBox,
                    std::function<FileChooser&()> fileChooser);
    Q_DISABLE_COPY_MOVE(SessionControls)

    // Opens a session file, telling the user when it is refused.
    void openSession(const QString& path);
    // Looks for changes at nowMs (a steady clock) and writes the recovery file when due; the window's
    // timer calls it every second.
    void checkForChanges(std::int64_t nowMs);
    QString recoveryPath() const { return m_recoveryFolder + QStringLiteral("/recovery.vexmoor"); }
    QString lastRunPath() const { return m_recoveryFolder + QStringLiteral("/last-run.vexmoor"); }

private:
    QAction* addAction(QMenu& menu, const char* name, const QString& caption);
    void askToOpen();
    void save();
    void saveAs();
    void restoreLastRun();
    void fillRecentMenu();
    // False when the user cancels; true when nothing needs saving or it was saved.
    bool offerToSave(const QString& title);
    void showState();
    void keepWindowInSessions();

    frmMain& m_window;
    SessionDocument& m_document;
    UserMessageBox& m_messageBox;
    std::function<FileChooser&()> m_fileChooser;
    QMenu* m_recentMenu = nullptr;
    QAction* m_restore = nullptr;
    QLabel* m_status = nullptr;
    QString m_recoveryFolder;
    std::string m_seenText;
    std::int64_t m_changedAtMs = 0;
    std::int64_t m_pendingSinceMs = 0;
    bool m_pending = false;
    QTimer m_tick;
    QElapsedTimer m_clock;
};

} // namespace vexmoor
