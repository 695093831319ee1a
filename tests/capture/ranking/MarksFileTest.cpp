#include "capture/ranking/MarksFile.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::Mark;
using vexmoor::MarksFile;

struct ParseCase {
    std::string name;
    std::string text;
    std::vector<Mark> marks;
    std::string error;
};

void PrintTo(const ParseCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class MarksFileParseTest : public testing::TestWithParam<ParseCase> { };

TEST_P(MarksFileParseTest, ReadsEveryMarkOrNamesTheLineThatIsNone)
{
    const MarksFile::Parsed parsed = MarksFile::parse(GetParam().text);
    EXPECT_EQ(parsed.marks, GetParam().marks);
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarksFileParseTest,
    testing::Values(
        ParseCase { "TimesAndNotes",
                    "1742339030.25\n1742339041.000001 # head lights on\r\n 1742339050 #\n",
                    { { 1742339030'250000, "" }, { 1742339041'000001, "head lights on" }, { 1742339050'000000, "" } },
                    "" },
        ParseCase { "BlankAndCommentLinesAreSkipped", "# my drive\n\n   \n1.5\n", { { 1'500'000, "" } }, "" },
        ParseCase { "DigitsPastTheMicrosecondAreCut", "2.1234567\n", { { 2'123'456, "" } }, "" },
        ParseCase { "NoMarksAtAll", "", {}, "" },
        ParseCase { "NotANumber",
                    "1.5\nsoon\n",
                    {},
                    "line 2: \"soon\" is no mark (a time in seconds, then optionally # and a note)" },
        ParseCase { "ANegativeTime",
                    "-3\n",
                    {},
                    "line 1: \"-3\" is no mark (a time in seconds, then optionally # and a note)" },
        ParseCase {
            "TwoNumbers", "1 2\n", {}, "line 1: \"1 2\" is no mark (a time in seconds, then optionally # and a note)" },
        ParseCase { "ACommaForAPoint",
                    "\n1,5\n",
                    {},
                    "line 2: \"1,5\" is no mark (a time in seconds, then optionally # and a note)" },
        ParseCase { "AnEmptyFraction", "7.\n", { { 7'000'000, "" } }, "" },
        ParseCase { "OnlyANote", "# a\n  # b\n#c\n", {}, "" },
        ParseCase { "ANoteWithoutATime",
                    "  x # b\n",
                    {},
                    "line 1: \"x # b\" is no mark (a time in seconds, then optionally # and a note)" }),
    [](const testing::TestParamInfo<ParseCase>& test) { return test.param.name; });

TEST(MarksFileTest, ReadsBackWhatItWritesAMarkAtATime)
{
    const vexmoor::test::TemporaryFolder temporary;
    const auto& folder = temporary.path();
    const auto path = folder / "drive.log.marks";
    const std::vector<Mark> marks { { 1742339030'250000, "on" }, { 1742339041'000001, "two\nlines" } };

    std::ofstream(path, std::ios::binary) << MarksFile::text({ marks[0] }) << MarksFile::line(marks[1]);
    const MarksFile::Parsed parsed = MarksFile::read(path);
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.marks.size(), 2U);
    EXPECT_EQ(parsed.marks[0], marks[0]);
    EXPECT_EQ(parsed.marks[1].note, "two lines") << "a note stays on its mark's line";
    EXPECT_EQ(MarksFile::line(marks[0]), "1742339030.250000 # on\n");

    EXPECT_EQ(MarksFile::read(folder / "missing").error, "cannot read " + (folder / "missing").string());
}

} // namespace
