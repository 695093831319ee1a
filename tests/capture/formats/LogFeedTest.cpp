#include "capture/formats/LogFeed.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using vexmoor::CanFrame;
using vexmoor::kLogDetectionBytes;
using vexmoor::LogFeed;
using vexmoor::LogFormat;

// Each text repeats its lines past what detection looks at; a malformed line among them, and the last
// line without a line end.
std::string repeated(std::string_view header, std::string_view lines, std::string_view last)
{
    std::string text(header);
    while (text.size() < 2 * kLogDetectionBytes)
        text += lines;
    return text += last;
}

const std::string kCandump
    = repeated("", "(1.000000) can0 123#11\n(1.000100) can1 1FF#0102\ngarbage\n", "(1.000200) can0 7FF#01FD");
const std::string kGvret = repeated("Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n",
                                    "100,000001A5,false,Rx,0,2,01,02,\r\nnot,a,frame\r\n", "200,7DF,false,Rx,1,1,3E");
const std::string kBoard = repeated("CAN BUS Shield init ok!\r\n", "<680,1,16,>\r\n<1000,2,>\r\n", "<680,3,>");
const std::string kShortCandump = "(1.000000) can0 123#11\ngarbage\n(1.000200) can0 7FF#01FD";
const std::string kShortGvret
    = "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n100,1A5,false,0,0\n200,7DF,false,1,1,3E";

struct FeedCase {
    const char* name;
    std::string text;
    LogFormat format;
};

void PrintTo(const FeedCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

// What reached the sink, and the feed's counts.
struct Fed {
    LogFormat format = LogFormat::Unknown;
    std::vector<std::pair<CanFrame, std::string>> frames;
    std::vector<std::string> boardPieces;
    std::uint64_t malformed = 0;

    bool operator==(const Fed&) const = default;
};

void PrintTo(const Fed& fed, std::ostream* out)
{
    *out << fed.frames.size() << " frames, " << fed.boardPieces.size() << " board pieces, " << fed.malformed
         << " malformed";
}

// Feeds the text in pieces of pieceBytes; lookAhead: the feed decides first from what a peek of the
// file would show.
Fed feedInPieces(std::string_view text, std::size_t pieceBytes, bool lookAhead = false)
{
    Fed fed;
    LogFeed feed(LogFeed::Sink { [&fed](const CanFrame& frame, std::string_view interfaceName) {
                                    fed.frames.emplace_back(frame, interfaceName);
                                },
                                 [&fed](std::string bytes) { fed.boardPieces.push_back(std::move(bytes)); } });
    if (lookAhead)
        feed.decideFrom(text.substr(0, kLogDetectionBytes));
    for (std::size_t start = 0; start < text.size(); start += pieceBytes) {
        EXPECT_EQ(feed.decided(), lookAhead || start >= kLogDetectionBytes) << "piece at " << start;
        feed.feed(text.substr(start, pieceBytes));
    }
    EXPECT_EQ(feed.decided(), lookAhead || text.size() >= kLogDetectionBytes);
    feed.finish();
    EXPECT_TRUE(feed.decided());
    EXPECT_EQ(feed.frames(), fed.frames.size());
    fed.format = feed.format();
    fed.malformed = feed.malformedLines();
    return fed;
}

std::vector<std::string> piecesOf(std::string_view text, std::size_t pieceBytes)
{
    std::vector<std::string> pieces;
    for (std::size_t start = 0; start < text.size(); start += pieceBytes)
        pieces.emplace_back(text.substr(start, pieceBytes));
    return pieces;
}

class LogFeedTest : public testing::TestWithParam<FeedCase> { };

TEST_P(LogFeedTest, DecidesTheFormatAndHandsOnTheSameWhereverPiecesCut)
{
    const auto& [name, text, format] = GetParam();
    const Fed whole = feedInPieces(text, text.size() + 1);
    EXPECT_EQ(whole.format, format);
    if (format == LogFormat::Candump || format == LogFormat::Gvret) {
        ASSERT_FALSE(whole.frames.empty());
        EXPECT_EQ(whole.frames.back().first.id, format == LogFormat::Candump ? 0x7FFU : 0x7DFU)
            << "the last line, without a line end, is read at the end";
    } else {
        EXPECT_TRUE(whole.frames.empty());
    }
    if (format != LogFormat::BoardText) {
        EXPECT_TRUE(whole.boardPieces.empty());
    }

    // Pieces that end inside, at and past what detection looks at, and one byte at a time.
    for (const std::size_t pieceBytes : { std::size_t { 1 }, std::size_t { 7 }, std::size_t { 1000 },
                                          kLogDetectionBytes - 1, kLogDetectionBytes, kLogDetectionBytes + 1 }) {
        for (const bool lookAhead : { false, true }) {
            Fed expected = whole;
            if (format == LogFormat::BoardText)
                expected.boardPieces = piecesOf(text, pieceBytes); // exactly as fed, for the serial scan
            EXPECT_EQ(feedInPieces(text, pieceBytes, lookAhead), expected)
                << "pieces of " << pieceBytes << (lookAhead ? ", looked ahead" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Logs, LogFeedTest,
                         testing::Values(FeedCase { "Candump", kCandump, LogFormat::Candump },
                                         FeedCase { "ShortCandump", kShortCandump, LogFormat::Candump },
                                         FeedCase { "Gvret", kGvret, LogFormat::Gvret },
                                         FeedCase { "ShortGvretWithoutDir", kShortGvret, LogFormat::Gvret },
                                         FeedCase { "BoardText", kBoard, LogFormat::BoardText },
                                         FeedCase { "ShortBoardText", kBoard.substr(0, 100), LogFormat::BoardText },
                                         FeedCase { "NoLog", std::string(5000, 'x'), LogFormat::Unknown },
                                         FeedCase { "NothingIsAnEmptyBoardStream", "", LogFormat::BoardText }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
