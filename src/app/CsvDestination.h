#pragma once

#include <QSaveFile>

#include <iosfwd>
#include <sstream>
#include <string>

namespace vexmoor {

// Where a headless command's CSV goes: standard output ("-"), or a file that is written under a
// temporary name beside its destination and takes the name only when complete, so that a failed
// run never leaves a partial CSV that looks like a finished one.
class CsvDestination final {
public:
    explicit CsvDestination(std::string path);
    CsvDestination(const CsvDestination&) = delete;
    CsvDestination& operator=(const CsvDestination&) = delete;

    // Makes the temporary file at once, so that a destination that cannot be written fails before
    // any work is done.
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
    bool failWithFileError();

    std::string m_path;
    QSaveFile m_file;
    std::ostringstream m_text;
    std::string m_reason;
};

} // namespace vexmoor
