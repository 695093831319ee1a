#pragma once

#include "capture/session/SessionState.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vexmoor {

class CaptureController;

// The session the window works with: the file it was opened from or saved to, whether something
// changed since, and the parts of the window that keep their items in it. The controller's own items
// (options, ignore lists, names, marks, the database, the plot) are gathered and restored here; each
// other part adds how it saves and restores its own. A file is read whole and checked before anything
// is restored, so a refused file leaves everything as it was.
class SessionDocument final : public QObject {
    Q_OBJECT

public:
    static constexpr int kRecentCount = 5;

    struct Part {
        std::function<void(SessionState&)> save;
        std::function<void(const SessionState&)> restore;
    };

    explicit SessionDocument(CaptureController& controller, QObject* parent = nullptr);

    void addPart(Part part) { m_parts.push_back(std::move(part)); }

    // Each returns why it failed, as the user is told ("drive.vexmoor: line 12: \"marks\" should be a
    // list"), or an empty text.
    QString open(const QString& path);
    QString save();
    QString saveAs(const QString& path);
    // Writes the state to path without making it the session's file (the recovery file).
    QString writeCopy(const QString& path) const;

    // Everything as it is now; the database's path as the session file at sessionPath would hold it.
    SessionState gather(const QString& sessionPath) const;
    void restore(const SessionState& state, const QString& sessionPath);

    QString path() const { return m_path; }
    // Something differs from the file, as it would be written now; looks again at each call.
    bool isModified() const;
    // The last sessions opened or saved, newest first.
    QStringList recent() const;

signals:
    // Opened or saved: the name or the recent list changed.
    void changed();

private:
    void remember(const QString& path);
    void saveControllerItems(SessionState& state, const QString& sessionPath) const;
    void restoreIntervals(const SessionState& state);
    void restoreDbcAndPlot(const SessionState& state, const QString& sessionPath);

    CaptureController& m_controller;
    std::vector<Part> m_parts;
    QString m_path;
    std::string m_savedText;
};

} // namespace vexmoor
