#include "capture/record/SerialInputAssembly.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/RecordSink.h"

#include "BoardStreamGenerator.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using vexmoor::CaptureSession;
using vexmoor::CaptureState;
using vexmoor::SerialInputAssembly;
using vexmoor::test::FixedClock;
using vexmoor::test::rowsOf;
using vexmoor::test::TableRows;

// Keeps every record text the scan hands on.
class RecordingSink final : public vexmoor::RecordSink {
public:
    explicit RecordingSink(CaptureState& state)
        : m_state(state)
    {
    }
    void ParseData() override { records.push_back(m_state.CurrentMessage); }

    std::vector<std::string> records;

private:
    CaptureState& m_state;
};

struct AssemblyCase {
    std::string name;
    std::vector<std::string> polls;
    std::vector<std::string> records;
};

void PrintTo(const AssemblyCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class AssemblyTest : public testing::TestWithParam<AssemblyCase> {
protected:
    CaptureState state;
    RecordingSink sink { state };
    SerialInputAssembly assembly { state, sink };
};

TEST_P(AssemblyTest, HandsOnEachRecordBetweenAngleBracketsInOrder)
{
    for (const auto& poll : GetParam().polls)
        EXPECT_TRUE(assembly.poll(poll));
    EXPECT_EQ(sink.records, GetParam().records);
}

const std::string kLongInner(5000, '7');

INSTANTIATE_TEST_SUITE_P(
    Polls, AssemblyTest,
    testing::Values(AssemblyCase { "StartupLine", { "CAN BUS Shield init ok!\r\n" }, {} },
                    AssemblyCase { "TwoRecords", { "<680,1,2,>\r\n<681,3,>\r\n" }, { "<680,1,2,>", "<681,3,>" } },
                    AssemblyCase { "CutByAPoll", { "<682,1,", "2,>\r\n<683,4,>" }, { "<682,1,2,>", "<683,4,>" } },
                    AssemblyCase { "CutRightAfterItsOpening", { "<", "682,>" }, { "<682,>" } },
                    AssemblyCase { "CutOverManyPolls", { "<6", "8", "", "2,", "1>" }, { "<682,1>" } },
                    AssemblyCase { "AnOpeningStartsAfresh", { "<680,1<681,2,>" }, { "<681,2,>" } },
                    AssemblyCase { "AnOpeningInTheNextPollStartsAfresh", { "<680,1", "<681,2,>" }, { "<681,2,>" } },
                    AssemblyCase { "ClosingOutsideARecord", { "> <680,>>" }, { "<680,>" } },
                    AssemblyCase { "EmptyRecord", { "<>" }, { "<>" } },
                    AssemblyCase { "LineEndInside", { "<680,\r\n1,>" }, { "<680,\r\n1,>" } },
                    AssemblyCase { "LongRecordInOnePoll", { "<" + kLongInner + ">" }, { "<" + kLongInner + ">" } },
                    AssemblyCase { "CarriedRecordPastTheLimit",
                                   { "<" + kLongInner.substr(0, 3000), kLongInner.substr(0, 1097), ">\r\n<680,1,>" },
                                   { "<680,1,>" } },
                    AssemblyCase { "CarriedRecordAtTheLimit",
                                   { "<" + kLongInner.substr(0, 3000), kLongInner.substr(0, 1096) + ">" },
                                   { "<" + kLongInner.substr(0, 4096) + ">" } },
                    AssemblyCase { "NoiseWithoutClosing", { "<" + kLongInner, "1,>", "<680,>" }, { "<680,>" } }),
    [](const auto& testCase) { return testCase.param.name; });

TEST(SerialScanTest, YieldsBeforeEveryCharacterAndNeverForAnEmptyPoll)
{
    CaptureState state;
    RecordingSink sink(state);
    SerialInputAssembly assembly(state, sink);
    int yields = 0;
    assembly.setYieldHook([&] { ++yields; });

    assembly.poll("");
    EXPECT_EQ(yields, 0);
    assembly.poll("<680,1,>\r\n");
    EXPECT_EQ(yields, 10);
}

TEST(SerialScanTest, RecordsMadeDuringAYieldInterleaveOnlyWhole)
{
    FixedClock clock;
    CaptureSession session(clock);
    int yields = 0;
    session.assembly().setYieldHook([&] {
        if (++yields % 3 == 0)
            session.ingest("<700,9,>");
    });

    session.assembly().poll("<680,1,>\r\n<680,2,>\r\n");

    ASSERT_EQ(session.table().rowCount(), 2);
    EXPECT_EQ(session.table().canId(1), "2BC");
    EXPECT_EQ(session.table().row(2)[vexmoor::MessageColumn::Message], "<680,2,>");
    EXPECT_EQ(session.table().row(2)[vexmoor::MessageColumn::MsgCount], "2");
}

TEST(SerialScanTest, APollDuringAScanIsRefusedAndTheScanKeepsItsText)
{
    CaptureState state;
    RecordingSink sink(state);
    SerialInputAssembly assembly(state, sink);
    bool refused = false;
    assembly.setYieldHook([&] {
        if (assembly.isScanning() && !refused) {
            refused = !assembly.poll("<999,>");
            state.SerialInput = "<998,>";
            assembly.ReadMessages();
        }
    });

    EXPECT_TRUE(assembly.poll("<680,1,>"));
    EXPECT_TRUE(refused);
    EXPECT_EQ(sink.records, (std::vector<std::string> { "<680,1,>" }));
    EXPECT_FALSE(assembly.isScanning());
}

TEST(SerialScanTest, ADiscardedCarriedRecordIsNotCompleted)
{
    CaptureState state;
    RecordingSink sink(state);
    SerialInputAssembly assembly(state, sink);
    assembly.poll("<680,1,");
    EXPECT_TRUE(assembly.isCarryingRecord());
    assembly.discardCarriedRecord();
    assembly.poll("2,>\r\n<681,>");
    EXPECT_EQ(sink.records, (std::vector<std::string> { "<681,>" }));
}

TableRows replayInPolls(std::string_view stream, std::size_t pollSize, std::string_view minimumId = "0")
{
    FixedClock clock;
    CaptureSession session(clock);
    session.txtMinID().setText(minimumId);
    for (std::size_t offset = 0; offset < stream.size(); offset += pollSize)
        session.assembly().poll(std::string(stream.substr(offset, pollSize)));
    return rowsOf(session.table());
}

void expectSameTableForEveryPollSize(std::string_view stream)
{
    const TableRows whole = replayInPolls(stream, stream.size());
    ASSERT_FALSE(whole.empty());
    for (std::size_t pollSize = 1; pollSize <= 64; ++pollSize)
        ASSERT_EQ(replayInPolls(stream, pollSize), whole) << "poll size " << pollSize;
}

TEST(SerialScanTest, WherePollsCutAGeneratedStreamNeverChangesTheTable)
{
    vexmoor::tools::BoardStreamGenerator generator({ .seed = 3, .identifierCount = 40 });
    expectSameTableForEveryPollSize(vexmoor::tools::BoardStreamGenerator::startupLine() + generator.records(800));
}

TEST(SerialScanTest, WherePollsCutARealCaptureNeverChangesTheTable)
{
    for (const char* capture :
         { "dodge_durango_engineon.serial.txt", "honda_civic_type_r_turnonanddrive.serial.txt" }) {
        const auto bytes = vexmoor::test::readTestData(capture);
        if (!bytes)
            GTEST_SKIP() << "the shared test data is not beside the project";
        expectSameTableForEveryPollSize(std::string_view(*bytes).substr(0, 24000));
    }
}

// Random bytes rich in what breaks parsers: NUL, bytes above 127, lone brackets, commas, digits,
// spaces, CR and LF inside records.
std::string noisyStream(std::mt19937& random, std::size_t length)
{
    static constexpr char kAlphabet[] = { '<', '>', ',', ' ', '\r', '\n', '\0', '0', '1', '2', '5', '6', '8', '9' };
    std::uniform_int_distribution<int> pick(0, 2 * static_cast<int>(sizeof(kAlphabet)));
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string stream;
    for (std::size_t index = 0; index < length; ++index) {
        const int choice = pick(random);
        stream.push_back(choice < static_cast<int>(sizeof(kAlphabet)) ? kAlphabet[choice]
                                                                      : static_cast<char>(anyByte(random)));
    }
    return stream;
}

TEST(SerialScanTest, RandomBytesNeverBreakTheTable)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const std::string stream = noisyStream(random, 1 + random() % 600);
        const TableRows whole = replayInPolls(stream, stream.size());
        ASSERT_EQ(replayInPolls(stream, 1 + random() % 17), whole) << round;
        std::set<std::string> canIds;
        for (const auto& row : whole) {
            EXPECT_TRUE(canIds.insert(row[0]).second) << "a second row for " << row[0];
            EXPECT_FALSE(row[2].empty());
            EXPECT_EQ(row[2].find_first_not_of("0123456789"), std::string::npos) << row[2];
            EXPECT_EQ(row[7].find_first_not_of("0123456789"), std::string::npos) << row[7];
        }
    }
}

} // namespace
