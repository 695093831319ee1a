#pragma once

#include "LineFeed.h"
#include "RecordCutter.h"
#include "SlcanAdapter.h"

#include <cstdint>
#include <deque>
#include <string>

namespace vexmoor::board {

class RecordSource;

// The board's records as a simulated slcan adapter passes them on: it answers the program's
// commands, and only while it is open sends each record that is a CAN frame as an slcan frame line,
// stamped with its millisecond clock when time stamps are on. Closing pauses the records; opening
// again goes on with the next one. A record that is no CAN frame is skipped and counted.
class SlcanAdapterFeed final : public LineFeed {
public:
    struct Settings {
        bool listenOnlySupported = true;
        // The adapter's clock when it is plugged in, in milliseconds; it counts up to 59999 and wraps.
        std::uint32_t clockStartMs = 0;
        Clock::time_point pluggedIn;
    };

    SlcanAdapterFeed(RecordSource& source, const Settings& settings);

    bool listens() const override { return true; }
    void receive(std::string_view bytes) override;
    Next next(std::string& out, std::size_t wanted, Clock::time_point now) override;
    // Counts the frames whose line went out up to its CR.
    void written(std::string_view bytes) override;
    std::uint64_t records() const override { return m_frames; }

    // Records passed over because they are no CAN frame, or too long to be one.
    std::uint64_t skippedRecords() const { return m_notFrames + m_cutter.tooLong(); }
    const SlcanAdapter& adapter() const { return m_adapter; }

private:
    void readSource(std::size_t wanted);
    bool appendNextFrameLine(std::string& out, Clock::time_point now);
    std::int64_t clockMs(Clock::time_point now) const;

    RecordSource& m_source;
    SlcanAdapter m_adapter;
    std::uint32_t m_clockStartMs;
    Clock::time_point m_pluggedIn;

    std::string m_answers; // answers not yet written; they go before the next frame
    RecordCutter m_cutter;
    std::deque<std::string> m_records; // read from the source, not yet sent or skipped
    std::string m_sourceBytes;
    bool m_sourceEnded = false;

    std::size_t m_frameBytesLeft = 0; // of the frame line being written
    std::uint64_t m_frames = 0;
    std::uint64_t m_notFrames = 0;
};

} // namespace vexmoor::board
