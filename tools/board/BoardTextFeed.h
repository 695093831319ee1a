#pragma once

#include "LineFeed.h"

namespace vexmoor::board {

class RecordSource;

// The companion board's own stream: its start-up line, then the source's bytes exactly as they come.
// The board reads nothing from the line.
class BoardTextFeed final : public LineFeed {
public:
    BoardTextFeed(RecordSource& source, bool startupLine);

    bool listens() const override { return false; }
    void receive(std::string_view) override { }
    Next next(std::string& out, std::size_t wanted, Clock::time_point now) override;
    // Counts the records whose closing ">" went out.
    void written(std::string_view bytes) override;
    std::uint64_t records() const override { return m_records; }

private:
    RecordSource& m_source;
    bool m_startupLinePending;
    std::uint64_t m_records = 0;
};

} // namespace vexmoor::board
