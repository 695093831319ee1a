#include "capture/formats/LogFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vexmoor::LogFormat;

struct DetectionCase {
    std::string name;
    std::string text;
    LogFormat format;
};

void PrintTo(const DetectionCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class LogFormatTest : public testing::TestWithParam<DetectionCase> { };

TEST_P(LogFormatTest, IsDecidedByTheFirstLinesOfKnownKind)
{
    EXPECT_EQ(vexmoor::detectLogFormat(GetParam().text), GetParam().format)
        << vexmoor::logFormatName(vexmoor::detectLogFormat(GetParam().text));
}

const std::string kCandumpLine = "(1674148739.212264) can0 112#FF0015\n";
const std::string kGvretHeader = "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n";

std::string repeated(const std::string& line, int count)
{
    std::string text;
    for (int index = 0; index < count; ++index)
        text += line;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, LogFormatTest,
    testing::Values(
        DetectionCase { "Candump", kCandumpLine + kCandumpLine, LogFormat::Candump },
        DetectionCase { "CandumpWithCrLf", "(1.000000) can0 112#FF0015\r\n", LogFormat::Candump },
        DetectionCase { "CandumpWithoutLineEnd", "(1.000000) can0 112#FF0015", LogFormat::Candump },
        DetectionCase { "CandumpOpeningWithAnFdFrame", "(1.000000) can0 123##1AABB\n" + kCandumpLine,
                        LogFormat::Candump },
        DetectionCase { "CandumpAfterBlankLines", "\n\r\n   \n" + kCandumpLine, LogFormat::Candump },
        DetectionCase { "CandumpAfterAFewLinesOfOtherText", "# captured on the test bench\nkernel 6.1\n" + kCandumpLine,
                        LogFormat::Candump },
        DetectionCase { "CandumpCutAtTheEnd", kCandumpLine + "(1674148739.21", LogFormat::Candump },
        DetectionCase { "Gvret", kGvretHeader + "166064000,0x000000A5,false,Rx,0,8,FF,01,02,03,04,05,06,07,\n",
                        LogFormat::Gvret },
        DetectionCase { "GvretWithoutDir", "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n",
                        LogFormat::Gvret },
        DetectionCase { "GvretWithByteOrderMark", "\xEF\xBB\xBF" + kGvretHeader, LogFormat::Gvret },
        DetectionCase { "GvretWithoutHeader", "166064000,0x000000A5,false,Rx,0,1,FF\n", LogFormat::Gvret },
        DetectionCase { "BoardRecords", "<274,255,0,21,>\r\n<330,255,241,>\r\n", LogFormat::BoardText },
        DetectionCase { "BoardStartupLine", "CAN BUS Shield init ok!\r\n<274,255,0,21,>\r\n", LogFormat::BoardText },
        DetectionCase { "BoardStartupLineAlone", "CAN BUS Shield init ok!\r\n", LogFormat::BoardText },
        DetectionCase { "BoardRecordsAfterNoise", "\x07\xFF garbage\r\n<274,255,0,21,>\r\n", LogFormat::BoardText },
        DetectionCase { "SingleBoardRecord", "<291,1,>\r\n", LogFormat::BoardText },
        DetectionCase { "Empty", "", LogFormat::Unknown },
        DetectionCase { "OnlyBlankLines", "\r\n\n  \n", LogFormat::Unknown },
        DetectionCase { "OtherText", "hello\nworld\n", LogFormat::Unknown },
        DetectionCase { "Xml", "<?xml version=\"1.0\"?>\n<log>\n", LogFormat::Unknown },
        DetectionCase { "KnownLinesTooLateAmongOtherText", repeated("other text\n", 16) + kCandumpLine,
                        LogFormat::Unknown },
        DetectionCase { "KnownLinesBeyondTheFirstKilobytes", std::string(5000, '\n') + kCandumpLine,
                        LogFormat::Unknown },
        DetectionCase { "CutCandumpLineAlone", "(1674148739.2", LogFormat::Unknown }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace
