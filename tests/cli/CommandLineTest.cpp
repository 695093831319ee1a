#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::CommandLine;
using Mode = CommandLine::Mode;

TEST(CommandLineTest, ReadsEveryOptionInBothSpellings)
{
    const auto parsed
        = CommandLine::parse({ "--capture=/dev/ttyACM0", "--seconds", "2.5", "--min-id=0", "--csv", "log.csv" });
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->mode, Mode::Capture);
    EXPECT_EQ(parsed.options->source, "/dev/ttyACM0");
    EXPECT_EQ(parsed.options->seconds, 2.5);
    EXPECT_EQ(parsed.options->minimumId, "0");
    EXPECT_EQ(parsed.options->csvPath, "log.csv");

    const auto replay = CommandLine::parse({ "--replay", "-", "--chunk", "7" });
    ASSERT_TRUE(replay.options);
    EXPECT_EQ(replay.options->mode, Mode::Replay);
    EXPECT_EQ(replay.options->chunkBytes, 7u);
    EXPECT_EQ(replay.options->csvPath, "-");

    const auto logs = CommandLine::parse({ "--replay", "drive.log", "--interface=can1" });
    EXPECT_EQ(logs.options->interfaceName, "can1");
    const auto logging = CommandLine::parse({ "--log", "out.log", "--capture", "/dev/ttyACM0" });
    EXPECT_EQ(logging.options->logPath, "out.log");

    const auto ranking
        = CommandLine::parse({ "--rank", "drive.log", "--marks", "drive.marks", "--top", "5", "--window=0.5,2" });
    ASSERT_TRUE(ranking.options) << ranking.error;
    EXPECT_EQ(ranking.options->mode, Mode::Rank);
    EXPECT_EQ(ranking.options->marksPath, "drive.marks");
    EXPECT_EQ(ranking.options->top, 5U);
    EXPECT_EQ(ranking.options->window, std::make_pair(0.5, 2.0));

    EXPECT_EQ(CommandLine::parse({}).options->mode, Mode::Window);
    EXPECT_EQ(CommandLine::parse({ "--replay", "x", "--help" }).options->mode, Mode::Help);
    EXPECT_EQ(CommandLine::parse({ "--version" }).options->mode, Mode::Version);
}

struct RefusedCase {
    std::vector<std::string> arguments;
    std::string error;
};

void PrintTo(const RefusedCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.arguments);
}

class RefusedCommandLineTest : public testing::TestWithParam<RefusedCase> { };

TEST_P(RefusedCommandLineTest, SaysWhatIsWrong)
{
    const auto parsed = CommandLine::parse(GetParam().arguments);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RefusedCommandLineTest,
    testing::Values(
        RefusedCase { { "--replay", "x", "--chunk", "4k" },
                      "--chunk needs a whole number of bytes from 1 to 1073741824, not '4k'" },
        RefusedCase { { "--replay", "x", "--chunk=0" },
                      "--chunk needs a whole number of bytes from 1 to 1073741824, not '0'" },
        RefusedCase { { "--capture", "4", "--seconds", "-1" },
                      "--seconds needs a number of seconds above 0, not '-1'" },
        RefusedCase { { "--capture", "4", "--seconds", "nan" },
                      "--seconds needs a number of seconds above 0, not 'nan'" },
        RefusedCase { { "--replay" }, "--replay needs a value (see --help)" },
        RefusedCase { { "--replay", "x", "--fast" }, "unknown argument '--fast' (see --help)" },
        RefusedCase { { "--replay", "x", "--capture", "4" },
                      "--replay, --capture, --rank and --anatomy cannot be used together" },
        RefusedCase { { "--dbc", "x.dbc", "--session", "s.vexmoor" },
                      "--session opens the window, a replay, a ranking or a capture with a session: not with --dbc "
                      "alone" },
        RefusedCase {
            { "--capture", "4", "--save-session", "s.vexmoor" },
            "--save-session writes the session a replay or a ranking leaves: use it with --replay or --rank" },
        RefusedCase { { "--replay", "x", "--csv", "s.vexmoor", "--save-session", "s.vexmoor" },
                      "--save-session cannot write to 's.vexmoor', where another output goes" },
        RefusedCase { { "--capture", "4", "--interface", "can0" },
                      "--interface chooses among the interfaces of a log: use it with --replay, --rank or --anatomy" },
        RefusedCase { { "--anatomy", "x.log", "--save-dbc", "-" },
                      "--anatomy writes its CSV to standard output: give --save-dbc a file, not -" },
        RefusedCase { { "--anatomy", "x.log", "--csv", "out.csv" },
                      "--anatomy takes only --interface, --rows-per-bus and --save-dbc" },
        RefusedCase { { "--rank", "x.log" },
                      "--rank needs the marks to rank against: --marks FILE, or a --session with marks" },
        RefusedCase { { "--replay", "x", "--marks", "m" },
                      "--marks, --top and --window rank the bits of a log: use them with --rank" },
        RefusedCase { { "--rank", "x", "--marks", "m", "--top", "0" },
                      "--top needs a whole number of bits above 0, not '0'" },
        RefusedCase { { "--rank", "x", "--marks", "m", "--window", "1" },
                      "--window needs BEFORE,AFTER in seconds, each 0 to 60 and not both 0, not '1'" },
        RefusedCase { { "--rank", "x", "--marks", "m", "--window", "0,0" },
                      "--window needs BEFORE,AFTER in seconds, each 0 to 60 and not both 0, not '0,0'" },
        RefusedCase { { "--rank", "x", "--marks", "m", "--window", "-1,3" },
                      "--window needs BEFORE,AFTER in seconds, each 0 to 60 and not both 0, not '-1,3'" },
        RefusedCase { { "--rank", "x", "--marks", "m", "--window", "1,61" },
                      "--window needs BEFORE,AFTER in seconds, each 0 to 60 and not both 0, not '1,61'" },
        RefusedCase { { "--replay", "x", "--log", "out.log" }, "--log records a capture: use it with --capture" },
        RefusedCase { { "--capture", "4", "--bit-stats", "bits.csv" },
                      "--bit-stats counts the flips of a replayed file: use it with --replay" },
        RefusedCase { { "--replay", "x", "--bit-stats", "-" }, "--bit-stats and --csv cannot both write to '-'" },
        RefusedCase {
            { "--capture", "slcan:/dev/ttyACM0@83k" },
            "--capture unknown bit rate '83k' for slcan: use 10k, 20k, 50k, 100k, 125k, 250k, 500k, 800k or 1M" }));

} // namespace
