#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace vexmoor {

// The notes file of one message: a text file in the program's folder, named after the message
// without its angle brackets, to which every Save appends one line: the message, "~", the name and
// CR LF. The file holds Windows-1252 bytes.
class NotesFile final {
public:
    // The message comes from the serial line, where anything may stand between "<" and ">". Every
    // character that cannot stand in a file name here (path separators, control characters, and on
    // Windows also : * ? " < > |) becomes "_", so a message can never name a file elsewhere.
    static std::string fileNameFor(std::string_view message);

    // Where the notes of a message go. The name's bytes are code-page characters, and the file
    // system gets those characters in its own encoding.
    static QString pathFor(const std::filesystem::path& folder, std::string_view message);

    // Appends the line; on failure returns the reason the file system gave, otherwise an empty text.
    static QString appendLine(const std::filesystem::path& folder, std::string_view message,
                              std::string_view windows1252Name);
};

} // namespace vexmoor
