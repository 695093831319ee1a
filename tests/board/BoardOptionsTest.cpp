#include "BoardOptions.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vexmoor::board::BoardOptions;
using Protocol = BoardOptions::Protocol;

BoardOptions parse(const std::vector<std::string>& arguments)
{
    return BoardOptions::parse(std::vector<std::string_view>(arguments.begin(), arguments.end()));
}

struct AdapterCase {
    std::string name;
    std::vector<std::string> arguments;
    Protocol protocol;
    bool listenOnly;
    std::uint32_t clockStartMs;
};

void PrintTo(const AdapterCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class AdapterOptionsTest : public testing::TestWithParam<AdapterCase> { };

TEST_P(AdapterOptionsTest, ReadsTheProtocolAndTheAdaptersSettings)
{
    const AdapterCase& testCase = GetParam();
    const BoardOptions options = parse(testCase.arguments);
    EXPECT_EQ(options.protocol, testCase.protocol);
    EXPECT_EQ(options.listenOnly, testCase.listenOnly);
    EXPECT_EQ(options.clockStartMs, testCase.clockStartMs);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, AdapterOptionsTest,
    testing::Values(
        AdapterCase { "BoardByDefault", {}, Protocol::Board, true, 0 },
        AdapterCase { "BoardNamed", { "--protocol", "board" }, Protocol::Board, true, 0 },
        AdapterCase { "Slcan", { "--protocol", "slcan" }, Protocol::Slcan, true, 0 },
        AdapterCase { "SlcanWithEquals", { "--protocol=slcan" }, Protocol::Slcan, true, 0 },
        AdapterCase { "WithoutListenOnly", { "--no-listen-only", "--protocol", "slcan" }, Protocol::Slcan, false, 0 },
        AdapterCase {
            "LastClockValue", { "--protocol", "slcan", "--clock-start", "59999" }, Protocol::Slcan, true, 59'999 },
        AdapterCase { "FirstClockValue", { "--protocol", "slcan", "--clock-start=0" }, Protocol::Slcan, true, 0 },
        AdapterCase {
            "WithAFile", { "--protocol", "slcan", "--file", "drive.txt", "--loop" }, Protocol::Slcan, true, 0 }),
    [](const auto& testCase) { return testCase.param.name; });

struct RefusedCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string reason;
};

void PrintTo(const RefusedCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class RefusedAdapterOptionsTest : public testing::TestWithParam<RefusedCase> { };

TEST_P(RefusedAdapterOptionsTest, GivesItsReasonOnOneLine)
{
    try {
        parse(GetParam().arguments);
        FAIL() << "the arguments were taken";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RefusedAdapterOptionsTest,
    testing::Values(
        RefusedCase {
            "UnknownProtocol", { "--protocol", "gvret" }, "--protocol: 'gvret' is not a protocol: board or slcan" },
        RefusedCase {
            "ProtocolInCapitals", { "--protocol", "SLCAN" }, "--protocol: 'SLCAN' is not a protocol: board or slcan" },
        RefusedCase { "ProtocolWithoutValue", { "--protocol" }, "--protocol needs a value" },
        RefusedCase { "NoListenOnlyForTheBoard",
                      { "--no-listen-only" },
                      "--no-listen-only describes the slcan adapter: add --protocol slcan" },
        RefusedCase { "ClockStartForTheBoard",
                      { "--protocol", "board", "--clock-start", "5" },
                      "--clock-start sets the slcan adapter's clock: add --protocol slcan" },
        RefusedCase { "ClockPastItsWrap",
                      { "--protocol", "slcan", "--clock-start", "60000" },
                      "--clock-start: '60000' is not a number of milliseconds from 0 to 59999" },
        RefusedCase { "NegativeClock",
                      { "--protocol", "slcan", "--clock-start", "-1" },
                      "--clock-start: '-1' is not a number of milliseconds from 0 to 59999" },
        RefusedCase { "ClockInSeconds",
                      { "--protocol", "slcan", "--clock-start", "59s" },
                      "--clock-start: '59s' is not a number of milliseconds from 0 to 59999" },
        RefusedCase { "NoListenOnlyWithAValue",
                      { "--protocol", "slcan", "--no-listen-only=1" },
                      "--no-listen-only takes no value" },
        RefusedCase { "SlcanOnADevice",
                      { "--protocol", "slcan", "--device", "/dev/ttyUSB0" },
                      "--protocol slcan reads the program's commands from its pseudo-terminal, so it cannot go with "
                      "--device" }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace
