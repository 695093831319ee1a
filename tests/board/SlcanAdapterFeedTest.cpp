#include "SlcanAdapterFeed.h"
#include "RecordSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using vexmoor::board::LineFeed;
using vexmoor::board::RecordSource;
using vexmoor::board::SlcanAdapterFeed;
using Clock = LineFeed::Clock;

const Clock::time_point pluggedIn = Clock::time_point() + 1h;

// A stream held in memory and handed out in small pieces, so that records come cut between reads.
class TextRecordSource final : public RecordSource {
public:
    explicit TextRecordSource(std::string text)
        : m_text(std::move(text))
    {
    }

    bool fill(std::string& out, std::size_t wanted) override
    {
        if (m_offset == m_text.size())
            return false;
        const std::size_t length = std::min({ wanted, pieceSize, m_text.size() - m_offset });
        out.append(m_text, m_offset, length);
        m_offset += length;
        return true;
    }

private:
    static constexpr std::size_t pieceSize = 7;
    std::string m_text;
    std::size_t m_offset = 0;
};

struct Output {
    std::vector<std::string> pieces;
    LineFeed::Next last = LineFeed::Next::Bytes;
};

// Takes pieces until the feed is idle or ended, as the session does, writing each whole at `now`.
Output drain(SlcanAdapterFeed& feed, Clock::time_point now)
{
    Output output;
    for (int guard = 0; guard < 10'000; ++guard) {
        std::string piece;
        output.last = feed.next(piece, 4096, now);
        if (output.last != LineFeed::Next::Bytes)
            return output;
        feed.written(piece);
        if (!piece.empty())
            output.pieces.push_back(piece);
    }
    ADD_FAILURE() << "the feed never went idle or ended";
    return output;
}

SlcanAdapterFeed::Settings settingsWithClockAt(std::uint32_t clockStartMs)
{
    SlcanAdapterFeed::Settings settings;
    settings.clockStartMs = clockStartMs;
    settings.pluggedIn = pluggedIn;
    return settings;
}

struct FrameLineCase {
    std::string name;
    std::string record;
    std::string line; // empty: the record is skipped
};

void PrintTo(const FrameLineCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanFrameLineTest : public testing::TestWithParam<FrameLineCase> { };

TEST_P(SlcanFrameLineTest, EveryRecordThatIsAFrameBecomesItsLineAndTheOthersAreCounted)
{
    const FrameLineCase& testCase = GetParam();
    // The start-up line and line ends around the record are no records at all.
    TextRecordSource source("CAN BUS Shield init ok!\r\n" + testCase.record + "\r\n");
    SlcanAdapterFeed feed(source, settingsWithClockAt(0));
    feed.receive("L\r");

    const Output output = drain(feed, pluggedIn);

    std::vector<std::string> expected { "\r" };
    if (!testCase.line.empty())
        expected.push_back(testCase.line);
    EXPECT_EQ(output.pieces, expected);
    EXPECT_EQ(output.last, LineFeed::Next::Ended);
    EXPECT_EQ(feed.records(), testCase.line.empty() ? 0u : 1u);
    EXPECT_EQ(feed.skippedRecords(), testCase.line.empty() ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SlcanFrameLineTest,
    testing::Values(FrameLineCase { "Standard", "<680,1,16,255,23,0,0,0,0,>", "t2A880110FF1700000000\r" },
                    FrameLineCase { "StandardWithoutData", "<291,>", "t1230\r" },
                    FrameLineCase { "HighestStandard", "<2047,7,>", "t7FF107\r" },
                    FrameLineCase { "Extended", "<123456,1,2,>", "T0001E24020102\r" },
                    FrameLineCase { "SmallExtendedWrittenWithZeros", "<00256,9,>", "T00000100109\r" },
                    FrameLineCase { "StandardIdentifierTooLarge", "<2048,1,>", "" },
                    FrameLineCase { "ByteTooLarge", "<12,300,>", "" },
                    FrameLineCase { "NineDataBytes", "<12,1,2,3,4,5,6,7,8,9,>", "" },
                    FrameLineCase { "NoIdentifier", "<,1,>", "" },
                    FrameLineCase { "TooLongToBeARecord",
                                    "<1," + std::string(vexmoor::board::RecordCutter::kMaxRecordLength, ' ') + ">",
                                    "" }),
    [](const auto& testCase) { return testCase.param.name; });

struct ClockCase {
    std::string name;
    std::uint32_t clockStartMs;
    Clock::duration sincePluggedIn;
    std::string stamp;
};

void PrintTo(const ClockCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanClockTest : public testing::TestWithParam<ClockCase> { };

TEST_P(SlcanClockTest, StampsEachLineWithTheAdaptersClockWhenItIsWritten)
{
    const ClockCase& testCase = GetParam();
    TextRecordSource source("<1,>");
    SlcanAdapterFeed feed(source, settingsWithClockAt(testCase.clockStartMs));
    feed.receive("Z1\rO\r");

    const Output output = drain(feed, pluggedIn + testCase.sincePluggedIn);

    EXPECT_EQ(output.pieces, (std::vector<std::string> { "\r\r", "t0010" + testCase.stamp + "\r" }));
}

INSTANTIATE_TEST_SUITE_P(Times, SlcanClockTest,
                         testing::Values(ClockCase { "AtPlugIn", 0, 0ms, "0000" },
                                         ClockCase { "FromItsStart", 1000, 234ms, "04D2" },
                                         ClockCase { "WholeMillisecondsOnly", 0, 1999us, "0001" },
                                         ClockCase { "LastBeforeTheWrap", 59'000, 999ms, "EA5F" },
                                         ClockCase { "Wrapped", 59'000, 1000ms, "0000" },
                                         ClockCase { "WrappedFromTheStart", 0, 61'500ms, "05DC" }),
                         [](const auto& testCase) { return testCase.param.name; });

// Records go out only while the adapter is open; closing holds them back, so that not one is lost or
// sent twice across a close and an open again.
TEST(SlcanAdapterFeedTest, ClosingPausesTheRecordsAndOpeningGoesOnWithTheNext)
{
    TextRecordSource source("<1,>\r\n<2,>\r\n<3,>\r\n");
    SlcanAdapterFeed feed(source, settingsWithClockAt(0));

    EXPECT_EQ(drain(feed, pluggedIn).last, LineFeed::Next::Idle) << "a closed adapter sends nothing";

    feed.receive("L\r");
    std::string piece;
    ASSERT_EQ(feed.next(piece, 4096, pluggedIn), LineFeed::Next::Bytes);
    EXPECT_EQ(piece, "\r");
    feed.written(piece);
    for (piece.clear(); piece.empty();)
        feed.next(piece, 4096, pluggedIn);
    EXPECT_EQ(piece, "t0010\r");
    // The line is half out when the close comes: it goes out whole, then the answer.
    feed.written(std::string_view(piece).substr(0, 3));
    feed.receive("C\r");
    EXPECT_EQ(feed.records(), 0u) << "a frame counts once its CR is out";
    feed.written(std::string_view(piece).substr(3));
    EXPECT_EQ(feed.records(), 1u);

    const Output closed = drain(feed, pluggedIn);
    EXPECT_EQ(closed.pieces, (std::vector<std::string> { "\r" }));
    EXPECT_EQ(closed.last, LineFeed::Next::Idle);

    feed.receive("O\r");
    const Output reopened = drain(feed, pluggedIn);
    EXPECT_EQ(reopened.pieces, (std::vector<std::string> { "\r", "t0020\r", "t0030\r" }));
    EXPECT_EQ(reopened.last, LineFeed::Next::Ended);
    EXPECT_EQ(feed.records(), 3u);
}

} // namespace
