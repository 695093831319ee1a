#pragma once

#include "capture/formats/LogFormat.h"
#include "capture/formats/LogReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

class CaptureSession;

// A log as it is read, in whatever pieces it comes: the feed finds its format from the content and
// hands it on. Board text goes on as bytes, in the very pieces fed, since the serial scan makes
// records of whatever each poll brings; a candump log or a GVRET CSV goes through LogReader as frames.
//
// Until the format is known, the first pieces are kept whole; once kLogDetectionBytes have come, or
// the input ended, the format is decided and everything kept is handed on, piece by piece. A file
// that can be looked at before it is read may decide at once instead (decideFrom).
class LogFeed final {
public:
    using FrameHandler = LogReader::FrameHandler;
    using BoardTextHandler = std::function<void(std::string bytes)>;

    // Where the feed hands on what it read: a source that paces its output keeps it itself.
    struct Sink {
        FrameHandler frame;
        BoardTextHandler boardText;
    };

    // Into a session: frames into its ingestion, board text into its serial assembly. interfaceFilter:
    // only the frames of that interface; empty: all of them.
    explicit LogFeed(CaptureSession& session, std::string interfaceFilter = {});
    explicit LogFeed(Sink sink, std::string interfaceFilter = {});

    void feed(std::string_view bytes);
    // The input ended: decides the format of an input shorter than kLogDetectionBytes and reads a
    // last line without a line end. An empty input is an empty board stream: a port that sent nothing.
    void finish();
    // Decides from the first bytes of the input, looked at before they are fed (a file's first
    // kLogDetectionBytes, or all of a shorter one): nothing is kept then, every piece goes on as it
    // comes. The bytes are not taken; feed them as usual.
    LogFormat decideFrom(std::string_view firstBytes);

    bool decided() const { return m_decided; }
    // Unknown while undecided, and for content of no known kind (which is handed on nowhere).
    LogFormat format() const { return m_format; }

    // The log reader's counts; none for board text, whose records the serial scan cuts.
    std::uint64_t frames() const { return m_reader.frames(); }
    std::uint64_t malformedLines() const { return m_reader.malformedLines(); }
    std::uint64_t skippedFrames() const { return m_reader.skippedFrames(); }
    std::uint64_t filteredFrames() const { return m_reader.filteredFrames(); }
    const std::vector<std::string>& interfaces() const { return m_reader.interfaces(); }

private:
    void decide(LogFormat format);
    LogFormat detectFromKept() const;
    void handOnKept();
    void handOn(std::string_view bytes);

    Sink m_sink;
    std::string m_interfaceFilter;
    bool m_decided = false;
    LogFormat m_format = LogFormat::Unknown;
    LogReader m_reader { LogFormat::Unknown };
    std::vector<std::string> m_kept; // the pieces fed before the format was known
    std::size_t m_keptBytes = 0;
};

} // namespace vexmoor
