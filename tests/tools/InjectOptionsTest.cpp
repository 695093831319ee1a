#include "InjectOptions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vexmoor::inject::InjectOptions;
using vexmoor::inject::SwitchMode;

const std::vector<std::string> kComplete
    = { "--log", "in.log",    "--out-log", "out.log", "--out-marks", "m.txt",  "--out-truth",
        "t.csv", "--presses", "3",         "--mode",  "held",        "--seed", "18446744073709551615" };

InjectOptions parse(const std::vector<std::string>& arguments)
{
    return InjectOptions::parse(std::vector<std::string_view>(arguments.begin(), arguments.end()));
}

// The complete command line with one option's value replaced, or the option left out when value is empty.
std::vector<std::string> with(const std::string& option, const std::string& value)
{
    std::vector<std::string> arguments;
    for (std::size_t index = 0; index < kComplete.size(); index += 2) {
        if (kComplete[index] != option) {
            arguments.insert(arguments.end(), { kComplete[index], kComplete[index + 1] });
        } else if (!value.empty()) {
            arguments.insert(arguments.end(), { option, value });
        }
    }
    return arguments;
}

TEST(InjectOptions, ReadsEveryOption)
{
    const InjectOptions options = parse(kComplete);
    EXPECT_EQ(options.logPath, "in.log");
    EXPECT_EQ(options.outLogPath, "out.log");
    EXPECT_EQ(options.outMarksPath, "m.txt");
    EXPECT_EQ(options.outTruthPath, "t.csv");
    EXPECT_EQ(options.presses, 3);
    EXPECT_EQ(options.mode, SwitchMode::Held);
    EXPECT_EQ(options.seed, UINT64_MAX);
}

class HelpOptionsTest : public testing::TestWithParam<std::vector<std::string>> { };

// Asked for where an option may stand, help wins over the options still missing.
TEST_P(HelpOptionsTest, AsksForTheUsage)
{
    EXPECT_TRUE(parse(GetParam()).showHelp);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, HelpOptionsTest,
                         testing::Values(std::vector<std::string> { "--help" }, std::vector<std::string> { "-h" },
                                         std::vector<std::string> { "--log", "in.log", "--help" }));

class RefusedOptionsTest : public testing::TestWithParam<std::vector<std::string>> { };

TEST_P(RefusedOptionsTest, Throws)
{
    EXPECT_THROW(parse(GetParam()), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, RefusedOptionsTest,
                         testing::Values(with("--presses", "0"), with("--presses", "101"), with("--presses", "-2"),
                                         with("--presses", "3x"), with("--mode", "latch"), with("--seed", "0x10"),
                                         with("--seed", ""), with("--mode", ""), with("--presses", ""),
                                         with("--log", ""), with("--out-truth", ""),
                                         std::vector<std::string> { "--log" },
                                         std::vector<std::string> { "--frobnicate", "1" }));

} // namespace
