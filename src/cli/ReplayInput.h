#pragma once

#include <QFile>

#include <cstddef>
#include <iosfwd>
#include <string>

namespace vexmoor {

class LogFeed;

// The bytes a headless replay reads, in chunks: a file, or standard input ("-").
class ReplayInput final {
public:
    ReplayInput(std::string path, std::istream& standardInput);
    ReplayInput(const ReplayInput&) = delete;
    ReplayInput& operator=(const ReplayInput&) = delete;

    // Opens the file; false with the reason when it cannot be read.
    bool open();
    // Reads up to buffer.size() bytes into buffer and shrinks it to what came; an empty buffer is the
    // end. False with the reason when the read failed.
    bool read(std::string& buffer, std::size_t wanted);
    // Read in chunks of chunkBytes into the feed: until it knows the format, or to the end of the input,
    // where the feed is finished. False with the reason when a read failed.
    bool feedUntilDecided(LogFeed& feed, std::size_t chunkBytes);
    bool feedToEnd(LogFeed& feed, std::size_t chunkBytes);
    const std::string& reason() const { return m_reason; }
    // For messages: 'PATH' or standard input.
    std::string name() const;

private:
    bool isStandardInput() const { return m_path == "-"; }
    bool failWith(std::string reason);
    bool feedChunk(LogFeed& feed, std::size_t chunkBytes);

    std::string m_path;
    std::istream& m_standardInput;
    QFile m_file;
    std::string m_reason;
    std::string m_chunk;
    bool m_ended = false;
};

} // namespace vexmoor
