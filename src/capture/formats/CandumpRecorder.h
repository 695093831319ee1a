#pragma once

#include "capture/record/RecordTap.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vexmoor {

// Turns every record that reaches ingestion into a line of a candump -L log, in memory: the caller
// takes the lines and writes them to the file, so that the capture never waits for a disk. A record
// that is no CAN frame (a 1-4 digit identifier above 0x7FF, a field that is not a byte, more than 8
// data fields) has no line and is counted instead; an empty text is no record and is neither.
class CandumpRecorder final : public RecordTap {
public:
    // Microseconds since the Unix epoch: the time stamp of a record whose source keeps no clock.
    using Clock = std::function<std::int64_t()>;

    static constexpr std::string_view kBoardInterface = "board";

    explicit CandumpRecorder(Clock arrivalClock);

    void recordArrived(std::string_view recordText, const FrameFacts* facts) override;
    // The interface the board's records are logged under: its source's name, so that the log replays
    // into the same rows. The name must outlive the recorder; nullptr: "board".
    void setBoardInterface(const std::string* name) { m_boardInterface = name; }

    // Moves the lines written since the last take into lines (whose old text is dropped).
    void takeLines(std::string& lines);
    bool hasLines() const { return !m_lines.empty(); }
    std::uint64_t framesLogged() const { return m_framesLogged; }
    std::uint64_t recordsNotLogged() const { return m_recordsNotLogged; }

private:
    Clock m_arrivalClock;
    const std::string* m_boardInterface = nullptr;
    std::string m_lines;
    std::uint64_t m_framesLogged = 0;
    std::uint64_t m_recordsNotLogged = 0;
};

} // namespace vexmoor
