#pragma once

#include "platform/OutputFile.h"

#include <ostream>
#include <streambuf>
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
    // Hands the stream's bytes to the file a buffer at a time, so that a long output never waits in
    // memory whole; the file still takes its name only at the commit.
    class FileBuffer final : public std::streambuf {
    public:
        explicit FileBuffer(OutputFile& file);
        bool failed() const { return m_failed; }

    protected:
        int_type overflow(int_type c) override;
        int sync() override;

    private:
        bool drain();

        OutputFile& m_file;
        std::string m_buffer;
        bool m_failed = false;
    };

    bool toStandardOutput() const { return m_path == "-"; }
    bool failWith(std::string reason);

    std::string m_path;
    OutputFile m_file;
    FileBuffer m_buffer { m_file };
    std::ostream m_text { &m_buffer };
    std::string m_reason;
};

} // namespace vexmoor
