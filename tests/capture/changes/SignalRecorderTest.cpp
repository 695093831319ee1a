#include "capture/changes/SignalRecorder.h"

#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vexmoor {
namespace {

using test::makeFrame;
using Outcome = SignalRecorder::AddOutcome;

TEST(SignalRecorderTest, RecordsOnlyThePlottedIdentifiersAndLeavesTheRestUntouched)
{
    SignalRecorder recorder;
    recorder.observe(makeFrame(0x3E9, { 1 }, { .timestampUs = 10 }));
    EXPECT_EQ(recorder.revision(), 0U) << "nothing plotted";

    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x3E9, false, 0)), Outcome::Added);
    const std::uint64_t afterAdd = recorder.revision();
    recorder.observe(makeFrame(0x3E8, { 1 }, { .timestampUs = 20 }));
    recorder.observe(makeFrame(0x3E9, { 1 }, { .extended = true, .timestampUs = 30 }));
    EXPECT_EQ(recorder.revision(), afterAdd);
    EXPECT_TRUE(recorder.series(0).empty());

    recorder.observe(makeFrame(0x3E9, { 7 }, { .timestampUs = 40 }));
    EXPECT_GT(recorder.revision(), afterAdd);
    EXPECT_EQ(recorder.series(0).at(0), (PlotSeries::Sample { 40, 7 }));
    EXPECT_EQ(recorder.originUs(), 40);
}

// The same number names two identifiers: an extended frame never feeds a standard signal, nor the
// reverse.
TEST(SignalRecorderTest, AnExtendedAndAStandardIdentifierOfTheSameNumberStayApart)
{
    SignalRecorder recorder;
    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x100, false, 0)), Outcome::Added);
    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x100, true, 0)), Outcome::Added);
    ASSERT_EQ(recorder.add(PlotSignal::ofBit(0x18DAF110, true, 1, 3)), Outcome::Added);

    recorder.observe(makeFrame(0x100, { 1 }, { .timestampUs = 1 }));
    recorder.observe(makeFrame(0x100, { 2 }, { .extended = true, .timestampUs = 2 }));
    recorder.observe(makeFrame(0x18DAF110, { 0, 0x08 }, { .extended = true, .timestampUs = 3 }));

    EXPECT_EQ(recorder.series(0).at(0).value, 1U);
    EXPECT_EQ(recorder.series(1).at(0).value, 2U);
    EXPECT_EQ(recorder.series(2).at(0).value, 1U);
    EXPECT_EQ(recorder.series(0).size() + recorder.series(1).size() + recorder.series(2).size(), 3U);
}

struct AddCase {
    const char* name;
    PlotSignal signal;
    Outcome outcome;
};

void PrintTo(const AddCase& addCase, std::ostream* out)
{
    *out << addCase.name;
}

class SignalRecorderAddTest : public testing::TestWithParam<AddCase> { };

// The recorder is already full but one short; each case is the next signal offered.
TEST_P(SignalRecorderAddTest, RefusesWhatCannotBePlottedWithAReason)
{
    SignalRecorder recorder;
    for (int bit = 0; bit < static_cast<int>(SignalRecorder::kMaxSignals) - 1; ++bit)
        ASSERT_EQ(recorder.add(PlotSignal::ofBit(0x200, false, bit / 8, bit % 8)), Outcome::Added);

    EXPECT_EQ(recorder.add(GetParam().signal), GetParam().outcome);
    EXPECT_EQ(SignalRecorder::describe(GetParam().outcome).empty(), GetParam().outcome == Outcome::Added);
    EXPECT_EQ(recorder.count(), SignalRecorder::kMaxSignals - (GetParam().outcome == Outcome::Added ? 0 : 1));
    if (GetParam().outcome == Outcome::Added) {
        EXPECT_EQ(recorder.add(PlotSignal::ofBytes(0x201, false, 0)), Outcome::Full);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, SignalRecorderAddTest,
    testing::Values(AddCase { "TheSixteenth", PlotSignal::ofBytes(0x201, false, 0, 8), Outcome::Added },
                    AddCase { "TheSameAgain", PlotSignal::ofBit(0x200, false, 0, 0), Outcome::AlreadyPlotted },
                    AddCase { "PastTheLastByteOfCanFd", PlotSignal::ofBytes(0x201, false, 62, 3), Outcome::Invalid },
                    AddCase { "MoreThanEightBytes", PlotSignal::ofBytes(0x201, false, 0, 9), Outcome::Invalid },
                    AddCase { "AByteThatWouldWrapIntoRange", PlotSignal::ofBit(0x201, false, 256 + 4, 0),
                              Outcome::Invalid },
                    AddCase { "NoByte", PlotSignal::ofBytes(0x201, false, 0, 0), Outcome::Invalid },
                    AddCase { "StandardPast7FF", PlotSignal::ofBytes(0x800, false, 0), Outcome::Invalid },
                    AddCase { "ExtendedPast29Bits", PlotSignal::ofBytes(0x20000000, true, 0), Outcome::Invalid }),
    [](const testing::TestParamInfo<AddCase>& param) { return std::string(param.param.name); });

TEST(SignalRecorderTest, ClearForgetsTheSamplesAndTheOriginButKeepsTheSignals)
{
    SignalRecorder recorder;
    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x3E9, false, 0)), Outcome::Added);
    recorder.observe(makeFrame(0x3E9, { 1 }, { .timestampUs = 100 }));
    const std::uint64_t before = recorder.revision();

    recorder.clear();
    EXPECT_GT(recorder.revision(), before);
    ASSERT_EQ(recorder.count(), 1U);
    EXPECT_TRUE(recorder.series(0).empty());
    EXPECT_EQ(recorder.originUs(), std::nullopt);

    recorder.observe(makeFrame(0x3E9, { 2 }, { .timestampUs = 900 }));
    EXPECT_EQ(recorder.originUs(), 900);
    EXPECT_EQ(recorder.series(0).size(), 1U);
}

TEST(SignalRecorderTest, ARemovedSignalTakesItsIdentifierOutOfTheRecording)
{
    SignalRecorder recorder;
    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x3E9, false, 0)), Outcome::Added);
    ASSERT_EQ(recorder.add(PlotSignal::ofBytes(0x100, true, 0)), Outcome::Added);
    recorder.remove(0);
    recorder.remove(5);
    ASSERT_EQ(recorder.count(), 1U);
    EXPECT_EQ(recorder.plotSignal(0), PlotSignal::ofBytes(0x100, true, 0));

    const std::uint64_t before = recorder.revision();
    recorder.observe(makeFrame(0x3E9, { 1 }, { .timestampUs = 1 }));
    EXPECT_EQ(recorder.revision(), before);
}

// Every frame with an identifier reaches the plot, the board's records on their arrival time and the
// frames of a log or an interface on their own, before the ignore lists hold any back.
TEST(SignalRecorderTest, TheSessionFeedsItEveryFrameWithAnIdentifierEvenIgnoredOnes)
{
    test::FixedClock clock;
    CaptureSession session(clock);
    const test::FixedFramesClock arrival { 5'000 };
    session.ingestion().setArrivalClock(&arrival);
    ASSERT_EQ(session.plotted().add(PlotSignal::ofBytes(0x3E9, false, 1)), Outcome::Added);
    session.List2().append("3E9");

    session.ingest("<1001,1,2,>");
    session.ingestFrame(makeFrame(0x3E9, { 1, 3 }, { .timestampUs = 9'000 }), "can0");
    session.ingest("<not a record>");

    const PlotSeries& series = session.plotted().series(0);
    ASSERT_EQ(series.size(), 2U);
    EXPECT_EQ(series.at(0), (PlotSeries::Sample { 5'000, 2 }));
    EXPECT_EQ(series.at(1), (PlotSeries::Sample { 9'000, 3 }));
}

// A value plotted after its switch was pressed shows the presses: it is filled from the session's
// history, and the plot's zero moves back to where that past begins.
TEST(SignalRecorderTest, AValuePlottedLateShowsItsPastFromTheHistory)
{
    test::FixedClock clock;
    CaptureSession session(clock);
    ASSERT_EQ(session.plotted().add(PlotSignal::ofBytes(0x100, false, 0)), Outcome::Added);
    for (const std::int64_t timeUs : { 1'000, 2'000, 3'000 })
        session.ingestFrame(
            makeFrame(0x3E9, { 0, static_cast<std::uint8_t>(timeUs == 2'000 ? 4 : 0) }, { .timestampUs = timeUs }),
            "can0");
    session.ingestFrame(makeFrame(0x100, { 1 }, { .timestampUs = 3'500 }), "can0");

    ASSERT_EQ(session.plotted().add(PlotSignal::ofBit(0x3E9, false, 1, 2)), Outcome::Added);
    session.ingestFrame(makeFrame(0x3E9, { 0, 4 }, { .timestampUs = 4'000 }), "can0");

    const PlotSeries& series = session.plotted().series(1);
    ASSERT_EQ(series.size(), 4U);
    EXPECT_EQ(series.at(0), (PlotSeries::Sample { 1'000, 0 }));
    EXPECT_EQ(series.at(1), (PlotSeries::Sample { 2'000, 1 }));
    EXPECT_EQ(series.at(2), (PlotSeries::Sample { 3'000, 0 }));
    EXPECT_EQ(series.at(3), (PlotSeries::Sample { 4'000, 1 }));
    EXPECT_EQ(session.plotted().originUs(), 1'000);
}

} // namespace
} // namespace vexmoor
