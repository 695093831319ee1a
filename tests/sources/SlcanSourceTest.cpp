#include "sources/SlcanSource.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "platform/Eventually.h"
#include "serial/PseudoTerminal.h"
#include "sources/ScriptedSlcanAdapter.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::CaptureSession;
using vexmoor::SlcanSource;
using vexmoor::test::eventually;
using vexmoor::test::PseudoTerminal;
using vexmoor::test::rowsOf;
using vexmoor::test::ScriptedSlcanAdapter;
using Commands = std::vector<std::string>;

constexpr int kShortTimeoutMs = 300;

// What an adapter does with the opening: which commands it refuses ("\a") or leaves unanswered ("").
struct OpeningCase {
    const char* name;
    std::uint32_t bitRate;
    std::vector<std::pair<std::string, std::string>> departures; // command -> its answer instead of CR
    bool opens;
    Commands heard;
    const char* errorPart; // when it does not open
    bool listenOnly;
    bool timestamps;
};

void PrintTo(const OpeningCase& adapterCase, std::ostream* out)
{
    *out << adapterCase.name;
}

class SlcanOpeningTest : public testing::TestWithParam<OpeningCase> {
protected:
    vexmoor::test::FixedClock clock;
    CaptureSession session { clock };
    PseudoTerminal line;
};

TEST_P(SlcanOpeningTest, TheAdapterIsClosedSetAndOpenedListenOnlyOrTheStepThatFailedIsNamed)
{
    const OpeningCase& given = GetParam();
    ScriptedSlcanAdapter adapter(line, [&given](std::string_view command) {
        for (const auto& [departing, answer] : given.departures)
            if (command == departing)
                return answer;
        return ScriptedSlcanAdapter::willingAdapter(command);
    });
    SlcanSource source(session, line.devicePath(), given.bitRate);
    source.setAnswerTimeout(kShortTimeoutMs);

    EXPECT_EQ(source.open(), given.opens) << source.errorString().toStdString();
    EXPECT_EQ(adapter.commands(), given.heard);
    EXPECT_EQ(source.isOpen(), given.opens);
    if (given.opens) {
        EXPECT_EQ(source.isListenOnly(), given.listenOnly);
        EXPECT_EQ(source.hasTimestamps(), given.timestamps);
        EXPECT_EQ(source.remark().isEmpty(), given.listenOnly) << source.remark().toStdString();
    } else {
        EXPECT_TRUE(source.errorString().contains(QString::fromUtf8(given.errorPart)))
            << source.errorString().toStdString();
        EXPECT_TRUE(source.errorString().contains(line.devicePath()));
        EXPECT_TRUE(session.table().rowCount() == 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, SlcanOpeningTest,
    testing::Values(
        OpeningCase { "Willing", 500'000, {}, true, { "C", "S6", "Z1", "L" }, "", true, true },
        OpeningCase { "OtherRate", 250'000, {}, true, { "C", "S5", "Z1", "L" }, "", true, true },
        OpeningCase { "ClosedAlreadyAcceptsTheClose",
                      1'000'000,
                      { { "C", "\r" } },
                      true,
                      { "C", "S8", "Z1", "L" },
                      "",
                      true,
                      true },
        OpeningCase {
            "NoListenOnly", 500'000, { { "L", "\a" } }, true, { "C", "S6", "Z1", "L", "O" }, "", false, true },
        OpeningCase { "NoTimestamps", 500'000, { { "Z1", "\a" } }, true, { "C", "S6", "Z1", "L" }, "", true, false },
        OpeningCase { "RateRefused",
                      500'000,
                      { { "S6", "\a" } },
                      false,
                      { "C", "S6" },
                      "refused the bit rate 500k (\"S6\")",
                      false,
                      false },
        OpeningCase {
            "Silent", 500'000, { { "C", "" } }, false, { "C" }, "did not answer \"C\" (close)", false, false },
        OpeningCase { "SilentAtTheRate",
                      500'000,
                      { { "S6", "" } },
                      false,
                      { "C", "S6" },
                      "did not answer \"S6\" (bit rate)",
                      false,
                      false },
        OpeningCase { "SilentAtListenOnly",
                      500'000,
                      { { "L", "" } },
                      false,
                      { "C", "S6", "Z1", "L" },
                      "did not answer \"L\" (open listen-only)",
                      false,
                      false },
        OpeningCase { "RefusesToOpen",
                      500'000,
                      { { "L", "\a" }, { "O", "\a" } },
                      false,
                      { "C", "S6", "Z1", "L", "O" },
                      "refused to open",
                      false,
                      false }),
    [](const testing::TestParamInfo<OpeningCase>& adapterCase) { return std::string(adapterCase.param.name); });

TEST(SlcanSourceTest, AMissingDeviceIsNamedWithItsReason)
{
    vexmoor::test::FixedClock clock;
    CaptureSession session(clock);
    SlcanSource source(session, QStringLiteral("/dev/vexmoor-no-such-adapter"), 500'000);
    EXPECT_FALSE(source.open());
    EXPECT_TRUE(source.errorString().startsWith(QStringLiteral("Cannot open /dev/vexmoor-no-such-adapter: ")))
        << source.errorString().toStdString();
}

TEST(SlcanSourceTest, FramesThatComeWithTheOpensAnswerWaitForTheEventLoopAndComeFirst)
{
    vexmoor::test::FixedClock clock;
    CaptureSession session(clock);
    PseudoTerminal line;
    ScriptedSlcanAdapter adapter(line, [](std::string_view command) -> std::string {
        return command == "L" ? "\rt1232AABB\r" : ScriptedSlcanAdapter::willingAdapter(command);
    });
    SlcanSource source(session, line.devicePath(), 500'000);
    ASSERT_TRUE(source.open());
    // Whoever opened it may start a log first.
    EXPECT_EQ(session.table().rowCount(), 0);

    adapter.stop();
    line.write("t4561CC\r");
    ASSERT_TRUE(eventually([&] { return source.frames() == 2; }));
    ASSERT_EQ(rowsOf(session.table()).size(), 2u);
    EXPECT_EQ(rowsOf(session.table()).at(0).at(0), "123");
}

class SlcanReceptionTest : public testing::Test {
protected:
    void SetUp() override
    {
        source.setAnswerTimeout(kShortTimeoutMs);
        ASSERT_TRUE(source.open()) << source.errorString().toStdString();
        adapter.stop();
    }

    vexmoor::test::FixedClock clock;
    CaptureSession session { clock };
    PseudoTerminal line;
    ScriptedSlcanAdapter adapter { line, &ScriptedSlcanAdapter::willingAdapter };
    SlcanSource source { session, line.devicePath(), 500'000 };
};

TEST_F(SlcanReceptionTest, DataAndRemoteFramesOfBothFormatsReachTheTable)
{
    // Cut in the middle of a frame, as a USB packet boundary may.
    line.write("t2A02110F\rT18DAF1108");
    line.write("0102030405060708EA5F\rr7FF0\rt3002");
    ASSERT_TRUE(eventually([&] { return source.frames() == 3; }));
    line.write("AABB\r");
    ASSERT_TRUE(eventually([&] { return source.frames() == 4; }));

    std::vector<std::string> keys;
    for (const auto& row : rowsOf(session.table()))
        keys.push_back(row.at(0));
    EXPECT_EQ(keys, (std::vector<std::string> { "2A0", "18DAF110", "7FF", "300" }));
    EXPECT_EQ(source.malformedMessages(), 0u);
}

TEST_F(SlcanReceptionTest, APulledAdapterIsReportedOnceAndTheTableStays)
{
    line.write("t1232AABB\r");
    ASSERT_TRUE(eventually([&] { return session.table().rowCount() == 1; }));
    QSignalSpy lost(&source, &SlcanSource::lost);

    line.hangUp();

    ASSERT_TRUE(eventually([&] { return lost.count() > 0; }));
    QTest::qWait(50);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.at(0).at(0).toString().contains(line.devicePath())) << lost.at(0).at(0).toString().toStdString();
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(session.table().rowCount(), 1);
}

} // namespace
