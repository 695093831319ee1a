#include "capture/formats/CandumpLog.h"
#include "capture/CaptureTestSupport.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

using vexmoor::CandumpLog;
using vexmoor::CanFrame;
using vexmoor::test::makeFrame;
using Kind = CandumpLog::LineKind;

constexpr std::int64_t kSeconds = 1'000'000;

struct WriteCase {
    std::string name;
    CanFrame frame;
    std::string interfaceName;
    std::string line;
};

void PrintTo(const WriteCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class CandumpWriteTest : public testing::TestWithParam<WriteCase> { };

TEST_P(CandumpWriteTest, WritesOneCandumpLine)
{
    std::string out = "kept\n";
    CandumpLog::appendLine(GetParam().frame, GetParam().interfaceName, out);
    EXPECT_EQ(out, "kept\n" + GetParam().line);
}

TEST_P(CandumpWriteTest, ReadsBackAsTheSameFrame)
{
    const std::string& line = GetParam().line;
    const auto parsed = CandumpLog::parseLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_EQ(parsed.kind, Kind::Frame);
    EXPECT_EQ(parsed.frame, GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, CandumpWriteTest,
    testing::Values(
        WriteCase {
            "Standard",
            makeFrame(0xF7, { 0x01, 0xFD, 0x01, 0xC7, 0x80, 0x00, 0x03, 0x00 }, { .timestampUs = 1696758378547717 }),
            "can0", "(1696758378.547717) can0 0F7#01FD01C780000300\n" },
        WriteCase { "Extended",
                    makeFrame(0x18DAF110, { 0x02, 0x3E }, { .extended = true, .timestampUs = 5 * kSeconds }), "vcan1",
                    "(5.000000) vcan1 18DAF110#023E\n" },
        WriteCase { "ExtendedWithASmallIdentifier", makeFrame(0x7, {}, { .extended = true }), "can0",
                    "(0.000000) can0 00000007#\n" },
        WriteCase { "HighestIdentifiers", makeFrame(0x1FFFFFFF, { 0xFF }, { .extended = true, .timestampUs = 1 }),
                    "can0", "(0.000001) can0 1FFFFFFF#FF\n" },
        WriteCase { "NoData", makeFrame(0x7FF, {}, { .timestampUs = 10 * kSeconds + 20 }), "can0",
                    "(10.000020) can0 7FF#\n" },
        WriteCase { "Remote", makeFrame(0x123, {}, { .remote = true, .timestampUs = 999999 }), "can0",
                    "(0.999999) can0 123#R\n" },
        WriteCase { "ExtendedRemote", makeFrame(0x123, {}, { .extended = true, .remote = true }), "can0",
                    "(0.000000) can0 00000123#R\n" },
        WriteCase { "BeforeTheEpoch", makeFrame(0x1, { 0 }, { .timestampUs = -1 * kSeconds - 500000 }), "can0",
                    "(-1.500000) can0 001#00\n" },
        WriteCase { "NoInterfaceName", makeFrame(0x1, {}), "", "(0.000000) can0 001#\n" },
        WriteCase { "InterfaceNameWithBlanks", makeFrame(0x1, {}), "my can\t0", "(0.000000) my_can_0 001#\n" }),
    [](const auto& testCase) { return testCase.param.name; });

TEST(CandumpWriteTest, ARemoteFrameIsWrittenWithoutItsLengthAndDataAndNeverMoreThanEightBytes)
{
    std::string out;
    CandumpLog::appendLine(makeFrame(0x123, { 1, 2 }, { .remote = true }), "can0", out);
    CanFrame tooLong = makeFrame(0x1, { 1, 2, 3, 4, 5, 6, 7, 8 });
    tooLong.length = 9;
    CandumpLog::appendLine(tooLong, "can0", out);
    EXPECT_EQ(out, "(0.000000) can0 123#R\n(0.000000) can0 001#0102030405060708\n");
}

TEST(CandumpWriteTest, TheExtremeTimeStampsReadBack)
{
    for (const std::int64_t timestampUs :
         { std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min() }) {
        std::string line;
        CandumpLog::appendLine(makeFrame(0x1, {}, { .timestampUs = timestampUs }), "can0", line);
        line.pop_back();
        const auto parsed = CandumpLog::parseLine(line);
        ASSERT_EQ(parsed.kind, Kind::Frame) << line;
        EXPECT_EQ(parsed.frame.timestampUs, timestampUs) << line;
    }
}

struct ParseCase {
    std::string line;
    Kind kind;
    CanFrame frame {};
    std::string interfaceName {};
};

void PrintTo(const ParseCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.line);
}

class CandumpParseTest : public testing::TestWithParam<ParseCase> { };

TEST_P(CandumpParseTest, TellsFramesFromSkippedMalformedAndBlankLines)
{
    const auto parsed = CandumpLog::parseLine(GetParam().line);
    ASSERT_EQ(parsed.kind, GetParam().kind);
    if (parsed.kind == Kind::Frame) {
        EXPECT_EQ(parsed.frame, GetParam().frame);
    }
    if (parsed.kind == Kind::Frame || parsed.kind == Kind::Skipped) {
        EXPECT_EQ(parsed.interfaceName, GetParam().interfaceName);
    }
}

const CanFrame k123 = makeFrame(0x123, { 0x11 }, { .timestampUs = kSeconds });
const CanFrame k123Remote = makeFrame(0x123, {}, { .remote = true, .timestampUs = kSeconds });
const CanFrame k123EightBytes = makeFrame(0x123, { 1, 2, 3, 4, 5, 6, 7, 8 }, { .timestampUs = kSeconds });

INSTANTIATE_TEST_SUITE_P(
    GoodLines, CandumpParseTest,
    testing::Values(
        ParseCase {
            "(1696758378.547717) can0 0F7#01FD01C780000300", Kind::Frame,
            makeFrame(0xF7, { 0x01, 0xFD, 0x01, 0xC7, 0x80, 0x00, 0x03, 0x00 }, { .timestampUs = 1696758378547717 }),
            "can0" },
        ParseCase { "(1.000000) can0 123#11\r", Kind::Frame, k123, "can0" },
        ParseCase { "(1.000000) slcan12 123#11", Kind::Frame, k123, "slcan12" },
        ParseCase { "  (1.000000)  can0\t123#11  ", Kind::Frame, k123, "can0" },
        ParseCase { "(1.000000) can0 123#11 T", Kind::Frame, k123, "can0" },
        ParseCase { "(1.000000) can0 123#11 R\r", Kind::Frame, k123, "can0" },
        ParseCase { "(1) can0 123#11", Kind::Frame, k123, "can0" },
        ParseCase { "(0.5) can0 123#", Kind::Frame, makeFrame(0x123, {}, { .timestampUs = 500000 }), "can0" },
        ParseCase { "(0.123456789) can0 123#", Kind::Frame, makeFrame(0x123, {}, { .timestampUs = 123456 }), "can0" },
        ParseCase { "(9223372036854.775807) can0 123#", Kind::Frame,
                    makeFrame(0x123, {}, { .timestampUs = std::numeric_limits<std::int64_t>::max() }), "can0" },
        ParseCase { "(1.000000) can0 0f7#01fd", Kind::Frame,
                    makeFrame(0xF7, { 0x01, 0xFD }, { .timestampUs = kSeconds }), "can0" },
        ParseCase { "(1.000000) can0 7#", Kind::Frame, makeFrame(0x7, {}, { .timestampUs = kSeconds }), "can0" },
        ParseCase { "(1.000000) can0 00000123#11", Kind::Frame,
                    makeFrame(0x123, { 0x11 }, { .extended = true, .timestampUs = kSeconds }), "can0" },
        ParseCase { "(1.000000) can0 1fffffff#", Kind::Frame,
                    makeFrame(0x1FFFFFFF, {}, { .extended = true, .timestampUs = kSeconds }), "can0" }));

INSTANTIATE_TEST_SUITE_P(RemoteFrames, CandumpParseTest,
                         testing::Values(ParseCase { "(1.000000) can0 123#R", Kind::Frame, k123Remote, "can0" },
                                         ParseCase { "(1.000000) can0 123#R4", Kind::Frame, k123Remote, "can0" },
                                         ParseCase { "(1.000000) can0 123#R0\r", Kind::Frame, k123Remote, "can0" },
                                         ParseCase { "(1.000000) can0 123#r", Kind::Frame, k123Remote, "can0" },
                                         ParseCase { "(1.000000) can0 123#R9", Kind::Malformed },
                                         ParseCase { "(1.000000) can0 123#R11", Kind::Malformed },
                                         ParseCase { "(1.000000) can0 123#RX", Kind::Malformed }));

INSTANTIATE_TEST_SUITE_P(
    RawLengthCodes, CandumpParseTest,
    testing::Values(ParseCase { "(1.000000) can0 123#0102030405060708_C", Kind::Frame, k123EightBytes, "can0" },
                    ParseCase { "(1.000000) can0 123#0102030405060708_9", Kind::Frame, k123EightBytes, "can0" },
                    ParseCase { "(1.000000) can0 123#0102030405060708_8", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123#0102_C", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123#0102030405060708_", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123#0102030405060708_CC", Kind::Malformed }));

INSTANTIATE_TEST_SUITE_P(
    CanFdFrames, CandumpParseTest,
    testing::Values(ParseCase { "(1.000000) can0 123##1AABBCC", Kind::Frame,
                                makeFrame(0x123, { 0xAA, 0xBB, 0xCC },
                                          { .timestampUs = kSeconds, .fd = true, .bitRateSwitch = true }),
                                "can0" },
                    ParseCase { "(1.000000) can1 12345678##0", Kind::Frame,
                                makeFrame(0x12345678, {}, { .extended = true, .timestampUs = kSeconds, .fd = true }),
                                "can1" },
                    ParseCase { "(1.000000) can0 123##", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123##1ABC", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123##G00", Kind::Malformed },
                    ParseCase { "(1.000000) can0 123##1" + std::string(130, 'A'), Kind::Malformed }));

INSTANTIATE_TEST_SUITE_P(
    ErrorFrames, CandumpParseTest,
    testing::Values(ParseCase { "(1.000000) can0 20000080#0000000000000000", Kind::Skipped, {}, "can0" },
                    ParseCase { "(1.000000) can0 20000004#0000080000000000\r", Kind::Skipped, {}, "can0" },
                    ParseCase { "(1.000000) can0 20000080#0", Kind::Malformed }));

// Every length from 0 to 64 bytes with every flags digit: FD's lengths read as frames with their
// bit-rate switch and error state and write back the same, FDF included or not; any other length is
// a malformed line.
TEST(CandumpFdTest, EveryLengthStepAndFlagsDigitReadsAndWritesBack)
{
    for (std::size_t length = 0; length <= CanFrame::kMaxFdLength; ++length) {
        for (int flags = 0; flags < 16; ++flags) {
            std::string data;
            for (std::size_t index = 0; index < length; ++index)
                data += "0123456789ABCDEF"[index % 16] + std::string(1, "FEDCBA9876543210"[index % 16]);
            const std::string line = "(2.000000) can0 1A0##" + std::string(1, "0123456789ABCDEF"[flags]) + data;
            const auto parsed = CandumpLog::parseLine(line);
            SCOPED_TRACE(line);
            if (!CanFrame::isFdLength(length)) {
                EXPECT_EQ(parsed.kind, Kind::Malformed);
                continue;
            }
            ASSERT_EQ(parsed.kind, Kind::Frame);
            EXPECT_TRUE(parsed.frame.fd);
            EXPECT_EQ(parsed.frame.length, length);
            EXPECT_EQ(parsed.frame.bitRateSwitch, (flags & 1) != 0);
            EXPECT_EQ(parsed.frame.errorStateIndicator, (flags & 2) != 0);
            std::string written;
            CandumpLog::appendLine(parsed.frame, "can0", written);
            EXPECT_EQ(written, "(2.000000) can0 1A0##" + std::string(1, "0123456789ABCDEF"[flags & 3]) + data + "\n");
            EXPECT_EQ(CandumpLog::parseLine(written.substr(0, written.size() - 1)).frame, parsed.frame);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    MalformedLines, CandumpParseTest,
    testing::Values(
        ParseCase { "(1.000000) can0 123", Kind::Malformed }, ParseCase { "(1.000000) can0 #11", Kind::Malformed },
        ParseCase { "(1.000000) can0 1234#11", Kind::Malformed },
        ParseCase { "(1.000000) can0 1234567#11", Kind::Malformed },
        ParseCase { "(1.000000) can0 123456789#11", Kind::Malformed },
        ParseCase { "(1.000000) can0 800#11", Kind::Malformed }, ParseCase { "(1.000000) can0 FFF#", Kind::Malformed },
        ParseCase { "(1.000000) can0 80000123#11", Kind::Malformed },
        ParseCase { "(1.000000) can0 40000123#11", Kind::Malformed },
        ParseCase { "(1.000000) can0 12G#11", Kind::Malformed }, ParseCase { "(1.000000) can0 123#1", Kind::Malformed },
        ParseCase { "(1.000000) can0 123#1G", Kind::Malformed },
        ParseCase { "(1.000000) can0 123#11.22", Kind::Malformed },
        ParseCase { "(1.000000) can0 123#112233445566778899", Kind::Malformed },
        ParseCase { "(1.000000) can0 123#11T", Kind::Malformed },
        ParseCase { "(1.000000) can0 123#11\r\r", Kind::Malformed },
        ParseCase { "(1.000000)can0 123#11", Kind::Malformed }, ParseCase { "(1.000000) can0123#11", Kind::Malformed },
        ParseCase { "(1.000000) can0", Kind::Malformed }, ParseCase { "(1.000000) can0 ", Kind::Malformed },
        ParseCase { "(1.000000)", Kind::Malformed }, ParseCase { "1.000000 can0 123#11", Kind::Malformed },
        ParseCase { "(1.000000 can0 123#11", Kind::Malformed }, ParseCase { "() can0 123#11", Kind::Malformed },
        ParseCase { "(.5) can0 123#11", Kind::Malformed }, ParseCase { "(1.) can0 123#11", Kind::Malformed },
        ParseCase { "(1.0.0) can0 123#11", Kind::Malformed }, ParseCase { "(1,5) can0 123#11", Kind::Malformed },
        ParseCase { "(+1.5) can0 123#11", Kind::Malformed }, ParseCase { "(abc) can0 123#11", Kind::Malformed },
        ParseCase { "(1.0000000000) can0 123#11", Kind::Malformed },
        ParseCase { "(12345678901234.0) can0 123#11", Kind::Malformed },
        ParseCase { "(9223372036854.775808) can0 123#11", Kind::Malformed },
        ParseCase { "(-9223372036854.775809) can0 123#11", Kind::Malformed },
        ParseCase { "can0 123#11", Kind::Malformed }, ParseCase { "123#11", Kind::Malformed },
        ParseCase { "<680,1,2,>", Kind::Malformed },
        ParseCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8", Kind::Malformed },
        ParseCase { std::string("(1.000000) can0 123#11\0", 23), Kind::Malformed }));

INSTANTIATE_TEST_SUITE_P(BlankLines, CandumpParseTest,
                         testing::Values(ParseCase { "", Kind::Blank }, ParseCase { "\r", Kind::Blank },
                                         ParseCase { "   ", Kind::Blank }, ParseCase { " \t \r", Kind::Blank }));

// A log that can-utils wrote: ours goes through log2asc to Vector's ASC, which asc2log writes back as
// a candump log with can-utils' own writer. Every FD length step, both flags and a classic frame
// among them come back as they went, on a clock that asc2log starts anew.
TEST(CandumpFdTest, ALogThatCanUtilsWroteReadsAsTheFramesThatWentIn)
{
    if (std::system("command -v log2asc >/dev/null 2>&1 && command -v asc2log >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "can-utils is not installed";
    std::vector<CanFrame> frames;
    for (const std::uint8_t length : { 0, 1, 8, 12, 16, 20, 24, 32, 48, 64 }) {
        CanFrame frame = makeFrame(0x1A0 + length, {}, { .timestampUs = 1'000'000 + length * 1000, .fd = true });
        frame.bitRateSwitch = length % 2 == 0;
        frame.errorStateIndicator = length % 3 == 0;
        frame.length = length;
        for (std::uint8_t index = 0; index < length; ++index)
            frame.data[index] = static_cast<std::uint8_t>(index * 7 + length);
        frames.push_back(frame);
    }
    frames.push_back(makeFrame(0x7DF, { 0x02, 0x01, 0x0D }, { .timestampUs = 1'100'000 }));
    std::string log;
    for (const CanFrame& frame : frames)
        CandumpLog::appendLine(frame, "can0", log);

    const vexmoor::test::TemporaryFolder folder;
    const std::string ours = (folder.path() / "ours.log").string();
    std::ofstream(ours) << log;
    const std::string asc = (folder.path() / "ours.asc").string();
    const std::string theirs = (folder.path() / "theirs.log").string();
    ASSERT_EQ(std::system(("log2asc -I '" + ours + "' -O '" + asc + "' can0 >/dev/null 2>&1 && asc2log -I '" + asc
                           + "' -O '" + theirs + "' >/dev/null 2>&1")
                              .c_str()),
              0);

    std::ifstream written(theirs);
    std::vector<CanFrame> read;
    for (std::string line; std::getline(written, line);) {
        const auto parsed = CandumpLog::parseLine(line);
        ASSERT_EQ(parsed.kind, Kind::Frame) << line;
        read.push_back(parsed.frame);
    }
    ASSERT_EQ(read.size(), frames.size());
    for (std::size_t index = 0; index < frames.size(); ++index) {
        CanFrame expected = frames[index];
        expected.timestampUs = read[index].timestampUs;
        EXPECT_EQ(read[index], expected) << "frame " << index;
        EXPECT_EQ(read[index].timestampUs - read[0].timestampUs, frames[index].timestampUs - frames[0].timestampUs);
    }
}

} // namespace
