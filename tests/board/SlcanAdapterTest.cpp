#include "SlcanAdapter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using vexmoor::board::SlcanAdapter;
using Channel = SlcanAdapter::Channel;

constexpr const char* ok = "\r";
constexpr const char* bel = "\a";

struct AnswerCase {
    std::string name;
    std::string before; // commands, each with its CR, that bring the adapter into the state under test
    std::string command; // without its CR
    std::string answer;
    Channel channel; // after the command
    bool timestamps = false; // after the command
    bool listenOnlySupported = true;
};

void PrintTo(const AnswerCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanAdapterAnswerTest : public testing::TestWithParam<AnswerCase> { };

TEST_P(SlcanAdapterAnswerTest, AnswersAsAnAdapterAndChangesStateOnlyWhenItAccepts)
{
    const AnswerCase& testCase = GetParam();
    SlcanAdapter adapter(testCase.listenOnlySupported);
    std::string setupAnswers;
    adapter.receive(testCase.before, setupAnswers);
    ASSERT_EQ(setupAnswers.find('\a'), std::string::npos) << "the setup was refused";

    EXPECT_EQ(adapter.answer(testCase.command), testCase.answer);
    EXPECT_EQ(adapter.channel(), testCase.channel);
    EXPECT_EQ(adapter.timestamps(), testCase.timestamps);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SlcanAdapterAnswerTest,
    testing::Values(AnswerCase { "CloseWhenClosed", "", "C", bel, Channel::Closed },
                    AnswerCase { "CloseWhenOpen", "L\r", "C", ok, Channel::Closed },
                    AnswerCase { "CloseKeepsTimestamps", "Z1\rO\r", "C", ok, Channel::Closed, true },
                    AnswerCase { "LowestBitRateWhenClosed", "", "S0", ok, Channel::Closed },
                    AnswerCase { "HighestBitRateWhenClosed", "", "S8", ok, Channel::Closed },
                    AnswerCase { "BitRateWhenOpen", "O\r", "S6", bel, Channel::Normal },
                    AnswerCase { "UnknownBitRate", "", "S9", bel, Channel::Closed },
                    AnswerCase { "BitRateThatIsNoDigit", "", "Sx", bel, Channel::Closed },
                    AnswerCase { "BitRateWithTrailingText", "", "S61", bel, Channel::Closed },
                    AnswerCase { "TimestampsOnWhenClosed", "", "Z1", ok, Channel::Closed, true },
                    AnswerCase { "TimestampsOffWhenClosed", "Z1\r", "Z0", ok, Channel::Closed, false },
                    AnswerCase { "TimestampsOnWhenOpen", "L\r", "Z1", bel, Channel::ListenOnly, false },
                    AnswerCase { "TimestampsOffWhenOpen", "Z1\rL\r", "Z0", bel, Channel::ListenOnly, true },
                    AnswerCase { "TimestampsWithAnUnknownValue", "", "Z2", bel, Channel::Closed },
                    AnswerCase { "ListenOnly", "", "L", ok, Channel::ListenOnly },
                    AnswerCase { "ListenOnlyUnsupported", "", "L", bel, Channel::Closed, false, false },
                    AnswerCase { "ListenOnlyWhenOpen", "O\r", "L", bel, Channel::Normal },
                    AnswerCase { "Normal", "", "O", ok, Channel::Normal },
                    AnswerCase { "NormalWithoutListenOnly", "", "O", ok, Channel::Normal, false, false },
                    AnswerCase { "NormalWhenOpen", "L\r", "O", bel, Channel::ListenOnly },
                    AnswerCase { "ReopenAfterClose", "L\rC\r", "O", ok, Channel::Normal },
                    AnswerCase { "Version", "", "V", "V1013\r", Channel::Closed },
                    AnswerCase { "SerialNumber", "L\r", "N", "NA123\r", Channel::ListenOnly },
                    AnswerCase { "Status", "L\r", "F", "F00\r", Channel::ListenOnly },
                    AnswerCase { "TransmitWhenListening", "L\r", "t1231AA", bel, Channel::ListenOnly },
                    AnswerCase { "TransmitWhenNormal", "O\r", "t1231AA", bel, Channel::Normal },
                    AnswerCase { "TransmitExtended", "O\r", "T0000012310", bel, Channel::Normal },
                    AnswerCase { "TransmitRemote", "O\r", "r1230", bel, Channel::Normal },
                    AnswerCase { "Empty", "L\r", "", bel, Channel::ListenOnly },
                    AnswerCase { "LowerCaseOpen", "", "o", bel, Channel::Closed },
                    AnswerCase { "OpenWithTrailingText", "", "O1", bel, Channel::Closed }),
    [](const auto& testCase) { return testCase.param.name; });

// The program writes its commands in one go or byte by byte; the answers must not depend on where the
// port cut them, and a runaway command must neither be taken for another nor grow without bound.
TEST(SlcanAdapterReceiveTest, AnswersEveryCommandOnceWhereverTheBytesAreCut)
{
    // The "O" belongs to the runaway command, so the adapter is still closed for the "L".
    const std::string runaway = "t" + std::string(SlcanAdapter::kMaxCommandLength, '1');
    const std::string commands = "C\rS6\rZ1\r" + runaway + "O\rL\rV\r";
    const std::string expected = std::string(bel) + ok + ok + bel + ok + "V1013\r";

    for (std::size_t pieceSize = 1; pieceSize <= commands.size(); ++pieceSize) {
        SlcanAdapter adapter(true);
        std::string answers;
        for (std::size_t start = 0; start < commands.size(); start += pieceSize)
            adapter.receive(std::string_view(commands).substr(start, pieceSize), answers);
        EXPECT_EQ(answers, expected) << "pieces of " << pieceSize;
        EXPECT_EQ(adapter.channel(), Channel::ListenOnly) << "pieces of " << pieceSize;
        EXPECT_TRUE(adapter.timestamps()) << "pieces of " << pieceSize;
    }
}

} // namespace
