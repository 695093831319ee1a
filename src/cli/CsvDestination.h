#pragma once

#include "platform/OutputFile.h"

#include <iosfwd>
#include <sstream>
#include <string>

namespace vexmoor {

// Where a headless command's CSV goes: standard output ("-"), or a file that takes its content only
// when complete, so that a failed run never leaves a partial CSV that looks like a finished one. A
// device or a pipe is written in place.
class CsvDestination final {
public:
    explicit CsvDestination(std::string path);
    CsvDestination(const CsvDestination&) = delete;
    CsvDestination& operator=(const CsvDestination&) = delete;

    // Opens the destination at once, so that one that cannot be written fails before any work is done.
    bool open();
    std::ostream& stream(std::ostream& standardOutput);
    // Finishes the output; false when it could not be written, and then nothing stands at the path.
    bool commit(std::ostream& standardOutput);
    void discard();
    // Why the destination failed, as the file system or the stream reported it.
    const std::string& reason() const { return m_reason; }

private:
    bool toStandardOutput() const { return m_path == "-"; }
    bool failWith(std::string reason);

    std::string m_path;
    OutputFile m_file;
    std::ostringstream m_text;
    std::string m_reason;
};

} // namespace vexmoor
