#pragma once

#include <QString>

#include <memory>
#include <string_view>

class QFileDevice;

namespace vexmoor {

// Every file the program writes goes through here, so that one place decides how a destination is
// written. What the path names after its links decides:
// - a device, a pipe or a terminal (and /dev/stdout, whatever it leads to) is written in place and
//   never replaced: a temporary file renamed over a device node would destroy it;
// - a regular file, or nothing yet, that is written whole is replaced at once when complete, so that
//   a failed run never leaves half a file; a link stays a link and a dangling link makes its target;
//   where no temporary file can be made beside it, an existing file is written directly instead;
// - a file that grows while the capture runs is written in place, emptied at the start or appended to.
class OutputFile final {
public:
    enum class Mode {
        ReplaceWhole, // the file takes its new content only at commit()
        Truncate, // emptied at open(), written as the capture runs
        Append, // added to at the end
    };

    // The whole of a small file in one go: an empty string, or why it could not be written.
    static QString write(const QString& path, Mode mode, std::string_view content);

    OutputFile(QString path, Mode mode);
    // An open file that was never committed is discarded: a whole file stays as it was.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False with errorString() set when the destination cannot be written.
    bool open();
    // Whole or not at all, as far as the file system tells; false with errorString() set.
    bool write(std::string_view bytes);
    // Hands what was written to the file system: a growing file's way of keeping a crash's loss small.
    bool flush();
    // Finishes and closes: a whole file takes its name now. False with errorString() set, and then a
    // whole file's destination is left as it was.
    bool commit();
    // Closes without finishing: a whole file's destination is left as it was.
    void discard();

    bool isOpen() const;
    const QString& path() const { return m_path; }
    QString errorString() const { return m_error; }
    // True when the destination is no regular file and is written in place; known after open().
    bool writesInPlace() const { return m_inPlace; }

private:
    bool fail(const QString& reason);

    QString m_path;
    Mode m_mode;
    std::unique_ptr<QFileDevice> m_device;
    bool m_inPlace = false;
    QString m_error;
};

} // namespace vexmoor
