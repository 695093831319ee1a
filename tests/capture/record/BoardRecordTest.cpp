#include "capture/record/BoardRecord.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/RecordText.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::BoardRecord;
using vexmoor::CanFrame;
using vexmoor::test::makeFrame;

struct ReadCase {
    std::string text;
    std::optional<CanFrame> frame;
};

void PrintTo(const ReadCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class RecordToFrameTest : public testing::TestWithParam<ReadCase> { };

TEST_P(RecordToFrameTest, ReadsOnlyRecordsThatAreCanFrames)
{
    EXPECT_EQ(BoardRecord::toFrame(GetParam().text), GetParam().frame);
}

// Ingestion takes a record's characters from its frame instead of reading the text a second time.
TEST_P(RecordToFrameTest, TheFramesCharactersAreTheRecordsAsciiColumn)
{
    if (!GetParam().frame)
        return; // ingestion reads such a record's characters from its text
    std::string ascii = "stale";
    BoardRecord::assignAsciiText(*GetParam().frame, ascii);
    EXPECT_EQ(ascii, vexmoor::record::asciiText(GetParam().text));
}

const CanFrame kExtended680 = makeFrame(680, {}, { .extended = true });

INSTANTIATE_TEST_SUITE_P(
    Records, RecordToFrameTest,
    testing::Values(ReadCase { "<680,1,16,255,23,0,0,0,0,>", makeFrame(680, { 1, 16, 255, 23, 0, 0, 0, 0 }) },
                    ReadCase { "<680,1,2,>", makeFrame(680, { 1, 2 }) },
                    ReadCase { "<680,1,2>", makeFrame(680, { 1, 2 }) }, ReadCase { "<680,>", makeFrame(680, {}) },
                    ReadCase { "<680>", makeFrame(680, {}) }, ReadCase { "< 680 , 1 ,2 , >", makeFrame(680, { 1, 2 }) },
                    ReadCase { "<680, 1 , 2 >", makeFrame(680, { 1, 2 }) },
                    ReadCase { "<680,007,>", makeFrame(680, { 7 }) }, ReadCase { "<0,>", makeFrame(0, {}) },
                    // An identifier up to 255 is a character of its own in the ASCII column.
                    ReadCase { "<65,66,67,>", makeFrame(65, { 66, 67 }) }, ReadCase { "<255>", makeFrame(255, {}) },
                    ReadCase { "<256,66,>", makeFrame(256, { 66 }) },
                    ReadCase { "<00065,66,>", makeFrame(65, { 66 }, { .extended = true }) },
                    // The number of digits, leading zeros included, tells standard from extended.
                    ReadCase { "<0680,>", makeFrame(680, {}) }, ReadCase { "<00680,>", kExtended680 },
                    ReadCase { "< 00680 ,>", kExtended680 }, ReadCase { "<2047,>", makeFrame(0x7FF, {}) },
                    ReadCase { "<2048,>", std::nullopt }, ReadCase { "<9999,>", std::nullopt },
                    ReadCase { "<10000,>", makeFrame(10000, {}, { .extended = true }) },
                    ReadCase { "<536870911,>", makeFrame(0x1FFFFFFF, {}, { .extended = true }) },
                    ReadCase { "<536870912,>", std::nullopt }, ReadCase { "<0000000680,>", std::nullopt },
                    ReadCase { "<99999999999999999999,>", std::nullopt },
                    ReadCase { "<680,1,2,3,4,5,6,7,8,>", makeFrame(680, { 1, 2, 3, 4, 5, 6, 7, 8 }) },
                    ReadCase { "<680,1,2,3,4,5,6,7,8,9,>", std::nullopt },
                    ReadCase { "<680,1,2,3,4,5,6,7,8,9>", std::nullopt }, ReadCase { "<680,256,>", std::nullopt },
                    ReadCase { "<680,99999999999999999999,>", std::nullopt }, ReadCase { "<680,-1,>", std::nullopt },
                    ReadCase { "<680,1.5,>", std::nullopt }, ReadCase { "<680,1 2,>", std::nullopt },
                    ReadCase { "<680,0x1,>", std::nullopt }, ReadCase { "<680,\t1,>", std::nullopt },
                    ReadCase { "<680,1,\r\n>", std::nullopt }, ReadCase { "<680,,1,>", std::nullopt },
                    ReadCase { "<680,1,,>", std::nullopt }, ReadCase { "<680,1, ,>", std::nullopt },
                    ReadCase { "<,1,>", std::nullopt }, ReadCase { "< ,>", std::nullopt },
                    ReadCase { "<6A0,1,>", std::nullopt }, ReadCase { "<-680,1,>", std::nullopt },
                    ReadCase { "<6 80,1,>", std::nullopt }, ReadCase { "<680,1,>\r\n", std::nullopt },
                    ReadCase { "680,1,>", std::nullopt }, ReadCase { "<680,1,", std::nullopt },
                    ReadCase { "<680<681,1,>", std::nullopt }, ReadCase { "<680,1,>>", std::nullopt },
                    ReadCase { "<>", std::nullopt }, ReadCase { "<", std::nullopt }, ReadCase { "", std::nullopt }));

struct WriteCase {
    CanFrame frame;
    std::string text;
};

void PrintTo(const WriteCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class RecordTextTest : public testing::TestWithParam<WriteCase> { };

TEST_P(RecordTextTest, WritesTheBoardsRecord)
{
    EXPECT_EQ(BoardRecord::recordText(GetParam().frame), GetParam().text);
    std::string out = "kept";
    BoardRecord::appendRecordText(GetParam().frame, out);
    EXPECT_EQ(out, "kept" + GetParam().text);
}

TEST_P(RecordTextTest, ReadsBackAsTheSameFrameSaveTheRemoteFlag)
{
    CanFrame expected = GetParam().frame;
    if (expected.remote)
        expected = makeFrame(expected.id, {}, { .extended = expected.extended });
    EXPECT_EQ(BoardRecord::toFrame(GetParam().text), expected);
}

TEST_P(RecordTextTest, TheFramesCharactersAreThoseOfItsRecord)
{
    std::string ascii;
    BoardRecord::assignAsciiText(GetParam().frame, ascii);
    EXPECT_EQ(ascii, vexmoor::record::asciiText(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, RecordTextTest,
    testing::Values(WriteCase { makeFrame(680, { 1, 16, 255, 23, 0, 0, 0, 0 }), "<680,1,16,255,23,0,0,0,0,>" },
                    WriteCase { makeFrame(0, { 0 }), "<0,0,>" }, WriteCase { makeFrame(0x7FF, {}), "<2047,>" },
                    WriteCase { makeFrame(7, { 65 }), "<7,65,>" },
                    WriteCase { makeFrame(7, { 65 }, { .remote = true }), "<7,>" },
                    WriteCase { makeFrame(0x123, { 9, 8, 7 }, { .remote = true }), "<291,>" },
                    WriteCase { makeFrame(0x123, {}, { .remote = true }), "<291,>" },
                    WriteCase { makeFrame(0x1FFFFFFF, { 255 }, { .extended = true }), "<536870911,255,>" },
                    WriteCase { makeFrame(10000, {}, { .extended = true }), "<10000,>" },
                    WriteCase { makeFrame(9999, {}, { .extended = true }), "<09999,>" },
                    WriteCase { makeFrame(0x100, { 1 }, { .extended = true }), "<00256,1,>" },
                    WriteCase { makeFrame(0, {}, { .extended = true }), "<00000,>" }));

TEST(RecordTextTest, NeverWritesMoreThanEightBytes)
{
    CanFrame frame = makeFrame(1, { 1, 2, 3, 4, 5, 6, 7, 8 });
    frame.length = 200;
    EXPECT_EQ(BoardRecord::recordText(frame), "<1,1,2,3,4,5,6,7,8,>");
}

} // namespace
