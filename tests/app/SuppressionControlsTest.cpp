#include "app/SuppressionControls.h"

#include "app/ChangedRowsFilter.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <string>

namespace {

using vexmoor::SuppressionControls;

struct WindowCase {
    std::string name;
    double seconds;
    bool taken;
    std::size_t maskedBits; // of a flip 1 s old and one 5 s old
    const char* status;
    const char* message = ""; // in the status bar's place when nothing flipped within the window
};

void PrintTo(const WindowCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SuppressionWindowTest : public testing::TestWithParam<WindowCase> {
protected:
    static constexpr std::int64_t kNowUs = 1'700'000'010'000'000;

    void send(std::int64_t atUs, std::uint8_t byte)
    {
        session.ingestFrame(vexmoor::test::makeFrame(0x3A1, { byte }, { .timestampUs = atUs }), "can0");
    }

    vexmoor::test::FixedClock clock;
    vexmoor::CaptureSession session { clock };
    vexmoor::MessageTableModel model { session.table() };
    QMenu view;
    QStatusBar statusBar;
    const vexmoor::test::FixedFramesClock now { kNowUs };
    SuppressionControls controls { view, statusBar, session.changes(), model, now, nullptr };
};

// A refused window leaves the one before, the three seconds of the start.
TEST_P(SuppressionWindowTest, SuppressesTheFlipsOfTheWindowSetAndRefusesOneThatIsNoWindow)
{
    send(kNowUs - 6'000'000, 0x00);
    send(kNowUs - 5'000'000, 0x01);
    send(kNowUs - 1'000'000, 0x03);

    EXPECT_EQ(controls.setWindowSeconds(GetParam().seconds), GetParam().taken);
    controls.suppressCurrentChanges();

    EXPECT_EQ(controls.mask().maskedBits(), GetParam().maskedBits);
    EXPECT_EQ(statusBar.findChild<QLabel*>(QStringLiteral("statusSuppressed"))->text(),
              QString::fromLatin1(GetParam().status));
    EXPECT_EQ(statusBar.currentMessage(), QString::fromLatin1(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SuppressionWindowTest,
    testing::Values(
        WindowCase { "HalfASecond", 0.5, true, 0, "", "Nothing changed in the last 0.5 s; nothing suppressed" },
        WindowCase { "ThreeSeconds", 3, true, 1, "1 bit suppressed" },
        WindowCase { "TenSeconds", 10, true, 2, "2 bits suppressed" },
        WindowCase { "Zero", 0, false, 1, "1 bit suppressed" },
        WindowCase { "Negative", -2, false, 1, "1 bit suppressed" },
        WindowCase { "NotANumber", std::numeric_limits<double>::quiet_NaN(), false, 1, "1 bit suppressed" },
        WindowCase { "Infinite", std::numeric_limits<double>::infinity(), false, 1, "1 bit suppressed" },
        WindowCase { "PastADay", SuppressionControls::kMaxWindowSeconds + 1, false, 1, "1 bit suppressed" }),
    [](const testing::TestParamInfo<WindowCase>& test) { return test.param.name; });

// A press once the flips have left the window says why nothing more was suppressed.
TEST_F(SuppressionWindowTest, APressWithNothingChangedSaysSoAndHowManyBitsStaySuppressed)
{
    send(kNowUs - 6'000'000, 0x00);
    send(kNowUs - 1'000'000, 0x01);
    controls.suppressCurrentChanges();
    const vexmoor::test::FixedFramesClock later { kNowUs + 10'000'000 };
    controls.setClock(later);
    controls.suppressCurrentChanges();
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Nothing changed in the last 3 s; 1 bit suppressed"));
}

// The window asked for is taken, kept for the next run, and a cancel or a window that is no window
// changes nothing.
TEST_F(SuppressionWindowTest, TheWindowAskedForIsTakenAndRememberedForTheNextRun)
{
    std::optional<double> answer = 10.0;
    controls.setWindowAsker([&answer](double current) {
        EXPECT_GT(current, 0.0);
        return answer;
    });
    controls.askForWindow();
    EXPECT_EQ(controls.windowUs(), 10'000'000);
    answer = std::nullopt;
    controls.askForWindow();
    answer = -1.0;
    controls.askForWindow();
    EXPECT_EQ(controls.windowUs(), 10'000'000);

    SuppressionControls nextRun { view, statusBar, session.changes(), model, now, nullptr };
    EXPECT_EQ(nextRun.windowUs(), 10'000'000);
    QSettings().remove(QStringLiteral("suppression/windowSeconds"));
}

// After suppressing what always moves, the filter leaves the rows in which something else changed,
// in the view only: the table keeps every row at its place, and the selection stays where it was.
TEST_F(SuppressionWindowTest, TheFilterHidesTheRowsWithoutAnUnsuppressedChangeInTheViewOnly)
{
    vexmoor::test::FixedFramesClock framesClock { kNowUs - 8'000'000 };
    auto sendAt = [&](std::uint32_t id, std::uint8_t byte) {
        session.ingestFrame(vexmoor::test::makeFrame(id, { byte }, { .timestampUs = framesClock.nowAtUs }), "can0");
    };
    for (const std::uint32_t id : { 0x100U, 0x200U, 0x300U })
        sendAt(id, 0);
    framesClock.nowAtUs += 100'000;
    sendAt(0x100, 1); // a counter
    controls.setClock(framesClock);
    controls.suppressCurrentChanges();
    model.setClock(framesClock);
    model.setChanges(&session.changes());
    vexmoor::MessageTableView table;
    table.setModel(&model);
    model.refresh();
    table.selectRow(1);
    vexmoor::ChangedRowsFilter filter { view, statusBar, table, model, controls, nullptr };

    framesClock.nowAtUs += 100'000;
    sendAt(0x100, 0); // the counter again: only its suppressed bit flips
    sendAt(0x200, 0x10); // the switch
    model.refresh();
    const QList<QAction*> entries = view.actions();
    const auto entry = std::find_if(entries.begin(), entries.end(), [](const QAction* action) {
        return action->objectName() == QStringLiteral("mnuViewOnlyChangedRows");
    });
    ASSERT_NE(entry, entries.end());
    (*entry)->trigger();
    ASSERT_TRUE(filter.isOn());
    EXPECT_TRUE(table.isRowHidden(0)) << "only a suppressed bit flipped";
    EXPECT_FALSE(table.isRowHidden(1));
    EXPECT_TRUE(table.isRowHidden(2)) << "nothing changed";
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(table.selectedPosition(), 2);
    EXPECT_EQ(statusBar.findChild<QLabel*>(QStringLiteral("statusRowFilter"))->text(),
              QStringLiteral("Showing 1 of 3 rows: those with unsuppressed changes"));

    framesClock.nowAtUs += 3'000'000;
    model.refresh();
    filter.update();
    EXPECT_TRUE(table.isRowHidden(1)) << "the switch's change has left the window";

    filter.setOn(false);
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(table.isRowHidden(row));
    EXPECT_TRUE(statusBar.findChild<QLabel*>(QStringLiteral("statusRowFilter"))->isHidden());
}

} // namespace
