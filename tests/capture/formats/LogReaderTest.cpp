#include "capture/formats/LogReader.h"
#include "capture/CaptureTestSupport.h"
#include "capture/formats/CandumpLog.h"
#include "capture/record/BoardRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using vexmoor::BoardRecord;
using vexmoor::CanFrame;
using vexmoor::LogFormat;
using vexmoor::LogReader;
using vexmoor::test::makeFrame;

// Every kind of line a candump log may hold, one of them from a clock that jumped back, and a last
// line without a line end.
const std::string kCandumpText = "(1.000000) can0 123#11\n"
                                 "(1.000100) can1 12345678#0102030405060708\r\n"
                                 "\n"
                                 "(1.000200) can0 123#R\n"
                                 "(1.000300) can0 123##1AABB\n"
                                 "(1.000400) can0 20000080#0000000000000000\n"
                                 "garbage (1.0) can0 123#11\n"
                                 "(1.000500) can0 7FF# T\n"
                                 "   \r\n"
                                 "(0.000001) can1 001#FF\n"
                                 "(1.000600) vcan0 0F7#01FD";

// A GVRET log with a byte order mark, and a second log without the Dir column joined to it.
const std::string kGvretText = "\xEF\xBB\xBFTime Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n"
                               "100,0x000000A5,false,Rx,0,2,01,02,\r\n"
                               "200,18DAF110,true,Tx,1,1,3E\r\n"
                               "\r\n"
                               "not,a,frame\r\n"
                               "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n"
                               "300,7DF,false,0,0\r\n"
                               "400,7DF,false,2,1,AA";

const std::string kBoardText = "CAN BUS Shield init ok!\r\n<274,255,0,21,>\r\n\r\n";

struct ReadResult {
    std::vector<std::pair<CanFrame, std::string>> frames;
    std::uint64_t malformed = 0;
    std::uint64_t skipped = 0;
    std::uint64_t filtered = 0;
    std::vector<std::string> interfaces;

    bool operator==(const ReadResult&) const = default;
};

void PrintTo(const ReadResult& result, std::ostream* out)
{
    *out << result.frames.size() << " frames, " << result.malformed << " malformed, " << result.skipped << " skipped, "
         << result.filtered << " filtered";
}

ReadResult finished(LogReader& reader, std::vector<std::pair<CanFrame, std::string>> frames)
{
    ReadResult result { std::move(frames), reader.malformedLines(), reader.skippedFrames(), reader.filteredFrames(),
                        reader.interfaces() };
    EXPECT_EQ(reader.frames(), result.frames.size());
    return result;
}

// Reads the text in chunks that end at the given positions, and the rest.
ReadResult readCutAt(LogFormat format, std::string_view text, const std::vector<std::size_t>& cuts,
                     const std::string& filter = {})
{
    LogReader reader(format, filter);
    std::vector<std::pair<CanFrame, std::string>> frames;
    const LogReader::FrameHandler keep
        = [&](const CanFrame& frame, std::string_view interfaceName) { frames.emplace_back(frame, interfaceName); };
    std::size_t start = 0;
    for (const std::size_t cut : cuts) {
        reader.feed(text.substr(start, cut - start), keep);
        start = cut;
    }
    reader.feed(text.substr(start), keep);
    reader.finish(keep);
    return finished(reader, std::move(frames));
}

ReadResult readWhole(LogFormat format, std::string_view text, const std::string& filter = {})
{
    return readCutAt(format, text, {}, filter);
}

using FrameKey = std::pair<std::uint32_t, std::string>; // identifier and interface

struct CountCase {
    std::string name;
    LogFormat format;
    std::string text;
    std::string filter;
    std::vector<FrameKey> frames;
    std::uint64_t malformed = 0;
    std::uint64_t skipped = 0;
    std::uint64_t filtered = 0;
    std::vector<std::string> interfaces;
};

void PrintTo(const CountCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class LogReaderCountTest : public testing::TestWithParam<CountCase> { };

TEST_P(LogReaderCountTest, HandsOnTheFramesOfTheChosenInterfaceAndCountsEveryOtherLine)
{
    const CountCase& expected = GetParam();
    const ReadResult result = readWhole(expected.format, expected.text, expected.filter);
    std::vector<FrameKey> frames;
    for (const auto& [frame, interfaceName] : result.frames)
        frames.emplace_back(frame.id, interfaceName);
    EXPECT_EQ(frames, expected.frames);
    EXPECT_EQ(result.malformed, expected.malformed);
    EXPECT_EQ(result.skipped, expected.skipped);
    EXPECT_EQ(result.filtered, expected.filtered);
    EXPECT_EQ(result.interfaces, expected.interfaces);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, LogReaderCountTest,
    testing::Values(CountCase { "CandumpAllInterfaces",
                                LogFormat::Candump,
                                kCandumpText,
                                "",
                                { { 0x123, "can0" },
                                  { 0x12345678, "can1" },
                                  { 0x123, "can0" },
                                  { 0x123, "can0" },
                                  { 0x7FF, "can0" },
                                  { 0x001, "can1" },
                                  { 0x0F7, "vcan0" } },
                                1,
                                1,
                                0,
                                { "can0", "can1", "vcan0" } },
                    CountCase { "CandumpOneInterface",
                                LogFormat::Candump,
                                kCandumpText,
                                "can1",
                                { { 0x12345678, "can1" }, { 0x001, "can1" } },
                                1,
                                1,
                                5,
                                { "can0", "can1", "vcan0" } },
                    CountCase { "CandumpAbsentInterface",
                                LogFormat::Candump,
                                kCandumpText,
                                "can9",
                                {},
                                1,
                                1,
                                7,
                                { "can0", "can1", "vcan0" } },
                    CountCase { "GvretAllBuses",
                                LogFormat::Gvret,
                                kGvretText,
                                "",
                                { { 0xA5, "0" }, { 0x18DAF110, "1" }, { 0x7DF, "0" }, { 0x7DF, "2" } },
                                1,
                                0,
                                0,
                                { "0", "1", "2" } },
                    CountCase { "GvretOneBus",
                                LogFormat::Gvret,
                                kGvretText,
                                "0",
                                { { 0xA5, "0" }, { 0x7DF, "0" } },
                                1,
                                0,
                                2,
                                { "0", "1", "2" } },
                    CountCase { "GvretWithoutHeaderTakesTheDirColumn",
                                LogFormat::Gvret,
                                "100,A5,false,Rx,3,0\n",
                                "",
                                { { 0xA5, "3" } },
                                0,
                                0,
                                0,
                                { "3" } },
                    CountCase { "CandumpReadAsGvret", LogFormat::Gvret, kCandumpText, "", {}, 9, 0, 0, {} },
                    CountCase { "GvretReadAsCandump", LogFormat::Candump, kGvretText, "", {}, 7, 0, 0, {} },
                    CountCase { "BoardTextIsNoLineFormat", LogFormat::BoardText, kBoardText, "", {}, 2, 0, 0, {} },
                    CountCase { "UnknownFormat", LogFormat::Unknown, kBoardText, "", {}, 2, 0, 0, {} },
                    CountCase { "NothingButBlankLines", LogFormat::Candump, "\n\r\n \t\n\n", "", {}, 0, 0, 0, {} },
                    CountCase { "Nothing", LogFormat::Candump, "", "", {}, 0, 0, 0, {} }),
    [](const auto& testCase) { return testCase.param.name; });

struct ChunkCase {
    std::string name;
    LogFormat format;
    std::string text;
};

void PrintTo(const ChunkCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class LogReaderChunkTest : public testing::TestWithParam<ChunkCase> { };

TEST_P(LogReaderChunkTest, WhereChunksCutTheTextNeverChangesWhatIsRead)
{
    const auto& [name, format, text] = GetParam();
    const ReadResult whole = readWhole(format, text);
    ASSERT_FALSE(whole.frames.empty());
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        ASSERT_EQ(readCutAt(format, text, { cut }), whole) << "cut at " << cut;
    for (std::size_t first = 0; first <= text.size(); first += 7) {
        for (std::size_t second = first; second <= text.size(); ++second)
            ASSERT_EQ(readCutAt(format, text, { first, second }), whole) << "cut at " << first << ", " << second;
    }
    std::vector<std::size_t> everyByte(text.size());
    for (std::size_t index = 0; index < text.size(); ++index)
        everyByte[index] = index;
    EXPECT_EQ(readCutAt(format, text, everyByte), whole);
}

INSTANTIATE_TEST_SUITE_P(Logs, LogReaderChunkTest,
                         testing::Values(ChunkCase { "Candump", LogFormat::Candump, kCandumpText },
                                         ChunkCase { "Gvret", LogFormat::Gvret, kGvretText }),
                         [](const auto& testCase) { return testCase.param.name; });

TEST(LogReaderTest, PassesAClockThatJumpsBackThroughUnchanged)
{
    const std::string text = "(1700000000.000000) can0 100#01\n"
                             "(1700000000.500000) can0 100#02\n"
                             "(3.000000) can0 100#03\n"
                             "(3.250000) can0 100#04\n";
    const ReadResult result = readWhole(LogFormat::Candump, text);
    std::vector<std::pair<CanFrame, std::string>> expected;
    for (const auto& [data, timestampUs] : std::vector<std::pair<std::uint8_t, std::int64_t>> {
             { 1, 1700000000000000 }, { 2, 1700000000500000 }, { 3, 3000000 }, { 4, 3250000 } })
        expected.emplace_back(makeFrame(0x100, { data }, { .timestampUs = timestampUs }), "can0");
    EXPECT_EQ(result.frames, expected);
    EXPECT_EQ(result.malformed, 0u);
}

TEST(LogReaderTest, ReadsTheLastLineWithoutALineEndOnlyAtTheEnd)
{
    LogReader reader(LogFormat::Candump);
    int frames = 0;
    const LogReader::FrameHandler count = [&](const CanFrame&, std::string_view) { ++frames; };
    reader.feed("(1.000000) can0 100#01\n(2.000000) can0 100#02", count);
    EXPECT_EQ(frames, 1);
    reader.finish(count);
    EXPECT_EQ(frames, 2);
    reader.finish(count);
    EXPECT_EQ(frames, 2);
}

TEST(LogReaderTest, ALineLongerThanTheLimitIsMalformedWhetherWholeOrCut)
{
    const std::string frameLine = "(1.000000) can0 100#01";
    for (const std::size_t length : { LogReader::kMaxLineLength, LogReader::kMaxLineLength + 1 }) {
        // Blanks after the frame are allowed, so only the length decides.
        const std::string line = frameLine + std::string(length - frameLine.size(), ' ');
        const std::string text = line + "\n" + frameLine + "\n";
        const std::uint64_t malformed = length > LogReader::kMaxLineLength ? 1 : 0;
        for (const std::size_t cut : { std::size_t { 0 }, std::size_t { 1 }, length / 2, length, length + 1 }) {
            const ReadResult result = readCutAt(LogFormat::Candump, text, { cut });
            EXPECT_EQ(result.frames.size(), 2 - malformed) << "length " << length << ", cut at " << cut;
            EXPECT_EQ(result.malformed, malformed) << "length " << length << ", cut at " << cut;
        }
    }
}

TEST(LogReaderTest, NoiseWithoutLineEndsNeverGrowsWhatIsCarried)
{
    LogReader reader(LogFormat::Candump);
    int frames = 0;
    const LogReader::FrameHandler count = [&](const CanFrame&, std::string_view) { ++frames; };
    const std::string noise(1000, 'x');
    for (int chunk = 0; chunk < 1000; ++chunk) {
        reader.feed(noise, count);
        ASSERT_LE(reader.carriedBytes(), LogReader::kMaxLineLength);
    }
    reader.feed("\n(1.000000) can0 100#01\n", count);
    reader.feed(noise, count);
    reader.finish(count);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(reader.malformedLines(), 2u);
    EXPECT_EQ(reader.carriedBytes(), 0u);
}

struct CaptureCase {
    std::string log;
    std::string serial;
    std::uint64_t frames;
};

void PrintTo(const CaptureCase& testCase, std::ostream* out)
{
    *out << testCase.log;
}

class RealCaptureTest : public testing::TestWithParam<CaptureCase> { };

TEST_P(RealCaptureTest, EveryFrameOfTheCandumpLogIsTheBoardsRecordOfTheSameFrame)
{
    const auto log = vexmoor::test::readTestData(GetParam().log);
    const auto serial = vexmoor::test::readTestData(GetParam().serial);
    if (!log || !serial)
        GTEST_SKIP() << "the shared test data is not beside the project";
    ASSERT_EQ(vexmoor::detectLogFormat(*log), LogFormat::Candump);

    LogReader reader(LogFormat::Candump);
    std::string records;
    const LogReader::FrameHandler write = [&](const CanFrame& frame, std::string_view) {
        BoardRecord::appendRecordText(frame, records);
        records.append("\r\n");
    };
    // A chunk size that cuts lines at ever other places.
    constexpr std::size_t kChunk = 4093;
    for (std::size_t offset = 0; offset < log->size(); offset += kChunk)
        reader.feed(std::string_view(*log).substr(offset, kChunk), write);
    reader.finish(write);

    EXPECT_EQ(reader.frames(), GetParam().frames);
    EXPECT_EQ(reader.malformedLines(), 0u);
    EXPECT_EQ(reader.skippedFrames(), 0u);
    EXPECT_EQ(reader.interfaces(), std::vector<std::string> { "can0" });
    if (records == *serial)
        return;
    std::size_t lineStart = 0;
    for (std::size_t index = 0; index < std::min(records.size(), serial->size()); ++index) {
        if (records[index] != (*serial)[index])
            break;
        if (records[index] == '\n')
            lineStart = index + 1;
    }
    const auto lineOf = [lineStart](const std::string& text) {
        return text.substr(lineStart, text.find('\n', lineStart) - lineStart);
    };
    FAIL() << "first different line at byte " << lineStart << ": " << lineOf(records) << " instead of "
           << lineOf(*serial);
}

INSTANTIATE_TEST_SUITE_P(Captures, RealCaptureTest,
                         testing::Values(CaptureCase { "honda_civic_type_r_turnonanddrive.log",
                                                       "honda_civic_type_r_turnonanddrive.serial.txt", 28835 },
                                         CaptureCase { "dodge_durango_engineon.log",
                                                       "dodge_durango_engineon.serial.txt", 32150 }));

} // namespace
