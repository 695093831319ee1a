#include "cli/RankCommand.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class RankCommandTest : public testing::Test {
protected:
    int run(const std::vector<std::string>& arguments)
    {
        std::istringstream in;
        out.str({});
        err.str({});
        const auto parsed = vexmoor::CommandLine::parse(arguments);
        if (!parsed.options) {
            err << parsed.error;
            return -1;
        }
        return vexmoor::RankCommand(in, out, err).run(*parsed.options);
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }

    // Twenty seconds of two identifiers at 10 Hz: 3A1's byte 1 bit 3 goes on at 5.2 s and off at
    // 12.2 s (a switch pressed at 5 s and 12 s), 2B0's byte 0 counts up with every frame.
    std::string drive()
    {
        std::string log;
        char line[96];
        for (int tick = 0; tick < 200; ++tick) {
            const double seconds = 1000.0 + tick * 0.1;
            const int switchOn = tick >= 52 && tick < 122 ? 0x08 : 0x00;
            std::snprintf(line, sizeof line, "(%.6f) can0 3A1#00%02X\n(%.6f) can0 2B0#%02X\n", seconds, switchOn,
                          seconds + 0.01, tick & 0xFF);
            log += line;
        }
        return write("drive.log", log);
    }

    vexmoor::test::TemporaryFolder temporary;
    fs::path folder = temporary.path();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RankCommandTest, WritesTheRankingWithTheSwitchFirst)
{
    const std::string marks = write("drive.marks", "# two presses\n1005.1 # on\n1012.0\n");
    ASSERT_EQ(run({ "--rank", drive(), "--marks", marks, "--top", "3" }), 0) << err.str();

    std::istringstream lines(out.str());
    std::string header;
    std::string first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header, "rank,id,byte,bit,marks_hit,changes_elsewhere,score");
    EXPECT_TRUE(first.starts_with("1,3A1,1,3,2,0,")) << first;
    int rows = 1;
    for (std::string line; std::getline(lines, line);)
        ++rows;
    EXPECT_EQ(rows, 3) << "--top 3";
    EXPECT_EQ(err.str(), "");
}

TEST_F(RankCommandTest, RowsPerBusNameTheBusAfterTheRank)
{
    const std::string marks = write("drive.marks", "1005.1\n1012.0\n");
    ASSERT_EQ(run({ "--rank", drive(), "--marks", marks, "--top", "1", "--rows-per-bus" }), 0) << err.str();
    EXPECT_TRUE(out.str().starts_with("rank,bus,id,byte,bit,marks_hit,changes_elsewhere,score\n1,can0,3A1,1,3,2,0,"))
        << out.str();
}

TEST_F(RankCommandTest, AWindowThatMissesTheSwitchLeavesItOut)
{
    const std::string marks = write("drive.marks", "1005.1\n1012.0\n");
    ASSERT_EQ(run({ "--rank", drive(), "--marks", marks, "--window", "0,0.05" }), 0) << err.str();
    EXPECT_EQ(out.str().find(",3A1,"), std::string::npos) << out.str();
}

struct RefusedCase {
    std::string name;
    std::string marks; // the marks file's text; "-" for no file at all
    std::string log; // "drive" for the drive, else the log's text
    std::string error; // what the message says after the paths
};

void PrintTo(const RefusedCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class RefusedRankTest : public RankCommandTest, public testing::WithParamInterface<RefusedCase> { };

TEST_P(RefusedRankTest, SaysWhyInOneLineWithStatusTwo)
{
    const std::string marks
        = GetParam().marks == "-" ? (folder / "missing.marks").string() : write("drive.marks", GetParam().marks);
    const std::string log = GetParam().log == "drive" ? drive() : write("other.log", GetParam().log);
    EXPECT_EQ(run({ "--rank", log, "--marks", marks }), 2);
    const std::string message = err.str();
    EXPECT_NE(message.find(GetParam().error), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedRankTest,
    testing::Values(RefusedCase { "NoMarksFile", "-", "drive", "cannot read " },
                    RefusedCase { "AMalformedMark", "1005\nsoon\n", "drive", "line 2: \"soon\" is no mark" },
                    RefusedCase { "NoMarks", "# nothing yet\n", "drive", "holds no marks" },
                    RefusedCase { "ABoardStream", "1005\n", "<680,1,2,>\n<681,3,>\n",
                                  "a board stream has no time stamps to set beside the marks" },
                    RefusedCase { "NotALog", "1005\n", "hello\x01\x02\n", "it is not a candump log or a GVRET CSV" }),
    [](const testing::TestParamInfo<RefusedCase>& test) { return test.param.name; });

} // namespace
