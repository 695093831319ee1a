#pragma once

#include "capture/session/SessionState.h"
#include "capture/signals/SignalDatabase.h"
#include "cli/CommandLine.h"

#include <optional>
#include <string>

namespace vexmoor {

class BitRanking;
class CaptureSession;

// The session a command without a window starts from and leaves behind: read from --session before
// the run, with what the command line gives winning over it, and written to --save-session after the
// run as the window would save it then. Without --session it is the program's own settings.
class HeadlessSession final {
public:
    // Reads --session's file when there is one; false with one line that says what and where
    // ("drive.vexmoor: line 12: \"marks\" should be a list").
    bool load(const CommandLine::Options& options, std::string& error);
    const SessionState& state() const { return m_state; }
    bool hasMarks() const { return !m_state.marks.empty(); }

    // The threshold, the minimum identifier (--min-id's first), both ignore lists and the names.
    void applyTo(CaptureSession& session, const CommandLine::Options& options);
    // The signals in force: --dbc's file, else the session's. False with why when --dbc cannot be read;
    // true with no database when neither has one.
    bool takeDatabase(const CommandLine::Options& options, std::optional<SignalDatabase>& database, std::string& error);

    // Writes --save-session's file, when asked for, from the core's state after the run; the marks and
    // their window come from the ranking when there is one. Empty: written, or nothing asked; else why not.
    std::string save(const CommandLine::Options& options, const CaptureSession& session,
                     const BitRanking* ranking) const;

private:
    SessionState m_state;
};

} // namespace vexmoor
