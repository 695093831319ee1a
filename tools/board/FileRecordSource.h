#pragma once

#include "RecordSource.h"

#include <string>

namespace vexmoor::board {

// The bytes of a file, passed on exactly as they stand, once or over and over.
class FileRecordSource final : public RecordSource {
public:
    // Opens the file at once, so that a file that cannot be read is reported before any line is made.
    // Throws std::system_error naming the file.
    FileRecordSource(std::string path, bool loop);
    ~FileRecordSource() override;
    FileRecordSource(const FileRecordSource&) = delete;
    FileRecordSource& operator=(const FileRecordSource&) = delete;

    // Throws std::system_error when reading fails.
    bool fill(std::string& out, std::size_t wanted) override;

private:
    std::string m_path;
    int m_fd = -1;
    bool m_loop;
    bool m_passHadBytes = false;
};

} // namespace vexmoor::board
