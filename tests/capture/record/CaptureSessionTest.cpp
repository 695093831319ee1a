#include "capture/record/CaptureSession.h"

#include "capture/CaptureTestSupport.h"

#include <gtest/gtest.h>

namespace vexmoor {
namespace {

// Everything the frames left goes; what the user chose (lists, settings, which values to plot) stays.
TEST(CaptureSessionTest, ClearForgetsWhatTheFramesLeftAndKeepsWhatTheUserChose)
{
    test::FixedClock clock;
    CaptureSession session(clock);
    session.txtMinID().setText("0");
    session.List1().append("<1,2,>");
    ASSERT_EQ(session.plotted().add(PlotSignal::ofBytes(0x3E9, false, 0)), SignalRecorder::AddOutcome::Added);
    for (std::uint8_t value = 0; value < 3; ++value)
        session.ingestFrame(test::makeFrame(0x3E9, { value }, { .timestampUs = 1'000 * value }), "can0");
    ASSERT_TRUE(session.ranking().addMark(1'500));

    session.clear();

    EXPECT_EQ(session.table().rowCount(), 0);
    EXPECT_EQ(session.changes().size(), 0U);
    EXPECT_EQ(session.history().framesKept(), 0U);
    EXPECT_TRUE(session.ranking().marks().empty());
    ASSERT_EQ(session.plotted().count(), 1U);
    EXPECT_TRUE(session.plotted().series(0).empty());
    EXPECT_EQ(session.txtMinID().text(), "0");
    EXPECT_TRUE(session.List1().contains("<1,2,>"));
}

} // namespace
} // namespace vexmoor
