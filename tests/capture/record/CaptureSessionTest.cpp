#include "capture/record/CaptureSession.h"

#include "capture/CaptureTestSupport.h"
#include "upkeep/AutoFilterPurge.h"

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

class RowsPerBusTest : public testing::Test {
protected:
    RowsPerBusTest()
    {
        session.txtMinID().setText("0");
        session.setRowsPerBus(true);
    }

    void send(std::string_view bus, std::uint32_t id, std::uint8_t value)
    {
        session.ingestFrame(test::makeFrame(id, { value }, { .timestampUs = ++timeUs }), bus);
    }

    // "bus:CAN_ID count/changes" per row, in table order.
    std::vector<std::string> rows() const
    {
        std::vector<std::string> texts;
        const MessageTable& table = session.table();
        for (int position = 1; position <= table.rowCount(); ++position)
            texts.push_back(session.busName(table.row(position).bus) + ":" + table.canId(position) + " "
                            + table.cell(position, MessageColumn::MsgCount) + "/"
                            + table.cell(position, MessageColumn::ChangeCount));
        return texts;
    }

    test::FixedClock clock;
    CaptureSession session { clock };
    std::int64_t timeUs = 0;
};

TEST_F(RowsPerBusTest, TheSameIdentifierOnTwoBusesKeepsTwoRowsWithTheirOwnCountsAndChanges)
{
    for (const std::uint8_t value : { 1, 2, 3 })
        send("body", 0x1A0, value);
    send("powertrain", 0x1A0, 9);
    send("powertrain", 0x1A0, 9);

    EXPECT_EQ(rows(), (std::vector<std::string> { "body:1A0 3/3", "powertrain:1A0 2/1" }));
    const std::uint8_t body = session.ingestion().buses().find("body");
    const std::uint8_t powertrain = session.ingestion().buses().find("powertrain");
    ASSERT_NE(session.changes().find(0x1A0, false, body), nullptr);
    EXPECT_EQ(session.changes().find(0x1A0, false, body)->byte(0), 3);
    EXPECT_EQ(session.changes().find(0x1A0, false, powertrain)->byte(0), 9);
    EXPECT_EQ(session.changes().find(0x1A0, false), nullptr);
    int framesOnBody = 0;
    session.history().forEachFrame(
        0x1A0, false, [&](const CanFrame&) { ++framesOnBody; }, body);
    EXPECT_EQ(framesOnBody, 3);

    // Switching back merges the buses again, from a cleared table.
    session.setRowsPerBus(false);
    EXPECT_EQ(session.table().rowCount(), 0);
    send("body", 0x1A0, 1);
    send("powertrain", 0x1A0, 2);
    EXPECT_EQ(rows(), (std::vector<std::string> { ":1A0 2/2" }));
}

TEST_F(RowsPerBusTest, TheIgnoreListHoldsAnIdentifierBackOnEveryBusAndThePurgeDropsOnlyTheNoisyRow)
{
    send("body", 0x1A0, 1);
    send("powertrain", 0x1A0, 1);
    for (const std::uint8_t value : { 2, 3, 4 })
        send("body", 0x1A0, value);
    session.txtAutoFilter().setText("2");
    AutoFilterPurge purge(session.table(), session.List2(), session.txtAutoFilter());
    purge.tick();

    EXPECT_EQ(rows(), (std::vector<std::string> { "powertrain:1A0 1/1" }));
    EXPECT_TRUE(session.List2().contains("1A0"));
    send("powertrain", 0x1A0, 5);
    EXPECT_EQ(rows(), (std::vector<std::string> { "powertrain:1A0 1/1" }));
}

TEST_F(RowsPerBusTest, TheNotesOfARowCollectThatBusOnly)
{
    test::StringNotesLog notes;
    session.ingestion().setNotesLog(&notes);
    send("body", 0x1A0, 1);
    send("powertrain", 0x1A0, 2);
    session.state().NotesRowIndex = 2;
    send("body", 0x1A0, 3);
    send("powertrain", 0x1A0, 4);
    EXPECT_EQ(notes.text, "<416,4,>\r\n");
}

} // namespace
} // namespace vexmoor
