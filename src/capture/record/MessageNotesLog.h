#pragma once

#include <string_view>

namespace vexmoor {

// What ingestion needs of the message notes window: while it is shown, every distinct record text
// of the row it was opened for is appended to its log, one per line.
class MessageNotesLog {
public:
    virtual ~MessageNotesLog() = default;

    virtual bool isShown() const = 0;
    virtual bool contains(std::string_view text) const = 0;
    // Appends the text and a CR LF to the end of the log.
    virtual void appendLine(std::string_view text) = 0;
};

} // namespace vexmoor
