#include "capture/formats/GvretCsv.h"
#include "capture/CaptureTestSupport.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::CanFrame;
using vexmoor::GvretCsv;
using vexmoor::test::makeFrame;
using Kind = GvretCsv::LineKind;

struct HeaderCase {
    std::string line;
    std::optional<bool> hasDir; // nothing: no header
};

void PrintTo(const HeaderCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.line);
}

class GvretHeaderTest : public testing::TestWithParam<HeaderCase> { };

TEST_P(GvretHeaderTest, RecognisesTheHeaderAndWhetherItHasTheDirColumn)
{
    const auto columns = GvretCsv::columnsOf(GetParam().line);
    EXPECT_EQ(columns ? std::optional(columns->hasDir) : std::nullopt, GetParam().hasDir);
    EXPECT_EQ(GvretCsv::isHeader(GetParam().line), GetParam().hasDir.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, GvretHeaderTest,
    testing::Values(HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8", true },
                    HeaderCase { "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8", false },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r", true },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8,", true },
                    HeaderCase { "time stamp, id ,EXTENDED,dir,bus,len,d1,d2,d3,d4,d5,d6,d7,d8", true },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2", true },
                    HeaderCase { "Time Stamp,ID,Extended,Bus,LEN", false },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8,D9", std::nullopt },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D3", std::nullopt },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,,D2", std::nullopt },
                    HeaderCase { "Time Stamp,ID,Extended,Dir,Bus", std::nullopt },
                    HeaderCase { "TimeStamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8", std::nullopt },
                    HeaderCase { "Time Stamp;ID;Extended;Dir;Bus;LEN;D1;D2;D3;D4;D5;D6;D7;D8", std::nullopt },
                    HeaderCase { "166064000,0x000000A5,false,Rx,0,8,FF,01,02,03,04,05,06,07,", std::nullopt },
                    HeaderCase { "", std::nullopt }));

struct ParseCase {
    std::string line;
    bool hasDir;
    Kind kind;
    CanFrame frame {};
    std::string bus {};
};

void PrintTo(const ParseCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.line) << (testCase.hasDir ? " with Dir" : " without Dir");
}

class GvretParseTest : public testing::TestWithParam<ParseCase> { };

TEST_P(GvretParseTest, TellsFramesFromMalformedAndBlankLines)
{
    const auto parsed = GvretCsv::parseLine(GetParam().line, { .hasDir = GetParam().hasDir });
    ASSERT_EQ(parsed.kind, GetParam().kind);
    if (parsed.kind == Kind::Frame) {
        EXPECT_EQ(parsed.frame, GetParam().frame);
        EXPECT_EQ(parsed.bus, GetParam().bus);
    }
}

const CanFrame k7DF = makeFrame(0x7DF, { 0x02, 0x01 }, { .timestampUs = 100 });

INSTANTIATE_TEST_SUITE_P(
    GoodLines, GvretParseTest,
    testing::Values(ParseCase { "166064000,0x000000A5,false,Rx,0,8,FF,01,02,03,04,05,06,07,", true, Kind::Frame,
                                makeFrame(0xA5, { 0xFF, 1, 2, 3, 4, 5, 6, 7 }, { .timestampUs = 166064000 }), "0" },
                    ParseCase { "166064000,0x000000A5,false,Rx,0,8,FF,01,02,03,04,05,06,07", true, Kind::Frame,
                                makeFrame(0xA5, { 0xFF, 1, 2, 3, 4, 5, 6, 7 }, { .timestampUs = 166064000 }), "0" },
                    ParseCase { "100,000007DF,false,Rx,1,2,02,01\r", true, Kind::Frame, k7DF, "1" },
                    ParseCase { "100,7df,FALSE,Tx,1,2,2,1", true, Kind::Frame, k7DF, "1" },
                    ParseCase { "100, 0X7DF, 0, rx, 1, 2, 02, 01, ", true, Kind::Frame, k7DF, "1" },
                    ParseCase { "100,7DF,false,Rx,1,2,02,01,00,00,00,00,00,00,", true, Kind::Frame, k7DF, "1" },
                    ParseCase { "100,7DF,false,Rx,1,2,02,01,,,,,,,", true, Kind::Frame, k7DF, "1" },
                    ParseCase { "100,7DF,false,1,2,02,01", false, Kind::Frame, k7DF, "1" },
                    ParseCase { "100,18DAF110,True,Rx,12,1,3E", true, Kind::Frame,
                                makeFrame(0x18DAF110, { 0x3E }, { .extended = true, .timestampUs = 100 }), "12" },
                    ParseCase { "100,1FFFFFFF,1,Rx,0,0", true, Kind::Frame,
                                makeFrame(0x1FFFFFFF, {}, { .extended = true, .timestampUs = 100 }), "0" },
                    ParseCase { "100,A5,true,Rx,0,0,,,,,,,,,", true, Kind::Frame,
                                makeFrame(0xA5, {}, { .extended = true, .timestampUs = 100 }), "0" },
                    ParseCase { "0,7FF,false,Rx,0,1,A", true, Kind::Frame, makeFrame(0x7FF, { 0x0A }), "0" }));

INSTANTIATE_TEST_SUITE_P(
    MalformedLines, GvretParseTest,
    testing::Values(ParseCase { "100,7DF,false,Rx,1,3,02,01", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,2,02,,", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,9,1,2,3,4,5,6,7,8,9", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,8,1,2,3,4,5,6,7,8,9", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,2,02,01,00,00,00,00,00,00,00", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,2,02,01,ZZ", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,1,100", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,1,G1", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,1,0x1", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,-1", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,", true, Kind::Malformed },
                    ParseCase { "100,800,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,20000000,true,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,123456789,true,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,0x,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,7DF,yes,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Xx,0,0", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,1,2,02,01", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,1,2,02,01", false, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,a,0", true, Kind::Malformed },
                    ParseCase { "100,7DF,false,Rx,,0", true, Kind::Malformed },
                    ParseCase { "-100,7DF,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "1.5,7DF,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "99999999999999999999,7DF,false,Rx,0,0", true, Kind::Malformed },
                    ParseCase { "100;7DF;false;Rx;0;0", true, Kind::Malformed },
                    ParseCase { "100,7DF", true, Kind::Malformed },
                    ParseCase { "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8", true, Kind::Malformed },
                    ParseCase { "(1.000000) can0 123#11", true, Kind::Malformed }));

INSTANTIATE_TEST_SUITE_P(BlankLines, GvretParseTest,
                         testing::Values(ParseCase { "", true, Kind::Blank }, ParseCase { "\r", true, Kind::Blank },
                                         ParseCase { " \t ", false, Kind::Blank }));

} // namespace
