#include "views/CandidatesPanel.h"

#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/ranking/BitRanking.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/MessageTable.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/BitViewPanel.h"
#include "views/CandidatesModel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAbstractItemModelTester>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using vexmoor::CandidatesModel;
using vexmoor::PlotSignal;
using vexmoor::test::eventually;

constexpr std::int64_t kStartUs = 1'700'000'000'000'000;
constexpr std::int64_t kSecondUs = 1'000'000;

// The switch drives bit 2 of 3E9's byte 1, operated at 10 s and 20 s; 100's bit 0 counts every
// 100 ms and the extended 18FEF100's byte 0 changes once, at 10 s.
class CandidatesPanelTest : public testing::Test {
protected:
    CandidatesPanelTest()
    {
        for (std::int64_t tenth = 0; tenth <= 300; ++tenth) {
            const std::int64_t atUs = kStartUs + tenth * kSecondUs / 10;
            const auto switched = static_cast<std::uint8_t>(tenth >= 100 && tenth < 200 ? 0x04 : 0x00);
            send(0x3E9, { 0x11, switched }, atUs);
            send(0x100, { static_cast<std::uint8_t>(tenth % 2) }, atUs);
            send(0x18FEF100, { static_cast<std::uint8_t>(tenth >= 100 ? 0x80 : 0x00) }, atUs, true);
        }
        window.tableModel().refresh();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void send(std::uint32_t id, std::initializer_list<std::uint8_t> data, std::int64_t atUs, bool extended = false)
    {
        window.session().ingestFrame(vexmoor::test::makeFrame(id, data, { .extended = extended, .timestampUs = atUs }),
                                     "can0");
    }
    void markAt(std::int64_t afterUs) { window.session().ranking().addMark(kStartUs + afterUs); }
    void showPanel()
    {
        panel->show();
        ASSERT_TRUE(eventually([&] { return table->isVisible(); }));
        panel->refresh();
    }
    QString cell(int row, int column) { return table->model()->index(row, column).data().toString(); }
    QLabel* label(const char* name) { return panel->findChild<QLabel*>(QString::fromLatin1(name)); }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
    vexmoor::CandidatesPanel* panel = window.findChild<vexmoor::CandidatesPanel*>(QStringLiteral("dockCandidates"));
    QTableView* table = window.findChild<QTableView*>(QStringLiteral("tblCandidates"));
};

TEST_F(CandidatesPanelTest, TheBitThatFlippedAtBothMarksRanksFirstWrittenAsTheTableWritesIt)
{
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    showPanel();
    EXPECT_TRUE(label("lblCandidatesHint")->isVisible()) << "without marks the panel says what to do";
    EXPECT_EQ(table->model()->rowCount(), 0);

    markAt(10 * kSecondUs + 500'000);
    markAt(20 * kSecondUs + 500'000);
    panel->refresh();

    EXPECT_FALSE(label("lblCandidatesHint")->isVisible());
    ASSERT_GE(table->model()->rowCount(), 3);
    EXPECT_LE(table->model()->rowCount(), static_cast<int>(vexmoor::CandidatesPanel::kShownCandidates));
    QStringList headers;
    // The Bus column follows, in sight only while rows are kept per bus.
    for (int column = 0; column < CandidatesModel::Bus; ++column)
        headers.append(table->model()->headerData(column, Qt::Horizontal).toString());
    EXPECT_TRUE(table->isColumnHidden(CandidatesModel::Bus));
    EXPECT_EQ(
        headers,
        (QStringList { QStringLiteral("Rank"), QStringLiteral("CAN_ID"), QStringLiteral("Byte"), QStringLiteral("Bit"),
                       QStringLiteral("Marks Hit"), QStringLiteral("Flips Elsewhere"), QStringLiteral("Score") }));
    const QStringList best = { cell(0, CandidatesModel::Rank),     cell(0, CandidatesModel::CanId),
                               cell(0, CandidatesModel::Byte),     cell(0, CandidatesModel::Bit),
                               cell(0, CandidatesModel::MarksHit), cell(0, CandidatesModel::FlipsElsewhere) };
    EXPECT_EQ(best,
              (QStringList { QStringLiteral("1"), QStringLiteral("3E9"), QStringLiteral("1"), QStringLiteral("2"),
                             QStringLiteral("2/2"), QStringLiteral("0") }));
    EXPECT_TRUE(cell(0, CandidatesModel::Score).contains(QRegularExpression(QStringLiteral("^-?\\d+\\.\\d\\d$"))));
    bool extendedFound = false;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (cell(row, CandidatesModel::CanId) == QStringLiteral("18FEF100"))
            extendedFound = cell(row, CandidatesModel::MarksHit) == QStringLiteral("1/2");
    }
    EXPECT_TRUE(extendedFound) << "an extended identifier keeps its eight digits";
}

// The panel ranks again only when something changed: a refresh with nothing new tells the view
// nothing, so the selection stays.
TEST_F(CandidatesPanelTest, ARefreshWithNothingNewLeavesTheListAlone)
{
    markAt(10 * kSecondUs + 500'000);
    markAt(20 * kSecondUs + 500'000);
    showPanel();
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    panel->refresh();
    EXPECT_EQ(changed.count(), 0);
    panel->suppressionChanged();
    panel->refresh();
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(CandidatesPanelTest, DoubleClickingACandidateSelectsItsRowShowsItsBitsAndPlotsTheBit)
{
    markAt(10 * kSecondUs + 500'000);
    markAt(20 * kSecondUs + 500'000);
    showPanel();
    ASSERT_EQ(cell(0, CandidatesModel::CanId), QStringLiteral("3E9"));
    auto* bitView = window.findChild<vexmoor::BitViewPanel*>(QStringLiteral("dockBitView"));
    ASSERT_TRUE(bitView->isHidden());

    const QPoint at = table->visualRect(table->model()->index(0, CandidatesModel::CanId)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);

    const int position = window.tableView().selectedPosition();
    ASSERT_GT(position, 0);
    const auto selected = window.tableModel().identifierOfRow(position - 1);
    ASSERT_TRUE(selected.has_value());
    EXPECT_EQ(selected->id, 0x3E9u);
    EXPECT_TRUE(bitView->isVisible());
    EXPECT_EQ(bitView->findChild<QLabel*>(QStringLiteral("lblBitViewIdentifier"))->text(),
              QStringLiteral("CAN_ID 3E9"));
    ASSERT_EQ(window.session().plotted().count(), 1u);
    EXPECT_EQ(window.session().plotted().plotSignal(0), PlotSignal::ofBit(0x3E9, false, 1, 2));
    EXPECT_FALSE(label("lblCandidatesMessage")->isVisible());
}

TEST_F(CandidatesPanelTest, ACandidateWhoseRowIsGoneIsSaidInThePanelAndStillPlotted)
{
    markAt(10 * kSecondUs + 500'000);
    markAt(20 * kSecondUs + 500'000);
    showPanel();
    window.session().table().clear();

    const QPoint at = table->visualRect(table->model()->index(0, CandidatesModel::CanId)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);

    EXPECT_TRUE(label("lblCandidatesMessage")->isVisible());
    EXPECT_TRUE(label("lblCandidatesMessage")->text().startsWith(QStringLiteral("CAN_ID 3E9 is no longer")));
    EXPECT_EQ(window.tableView().selectedPosition(), 0);
    EXPECT_EQ(window.session().plotted().count(), 1u);
}

struct WindowCase {
    const char* name;
    double before;
    double after;
    std::int64_t expectedBeforeUs;
    std::int64_t expectedAfterUs;
};

class CandidatesWindowTest : public CandidatesPanelTest, public testing::WithParamInterface<WindowCase> { };

// The window the spin boxes show is always the one in force: a refused one goes back.
TEST_P(CandidatesWindowTest, TheSpinBoxesSetTheWindowAroundEachMark)
{
    auto* before = panel->findChild<QDoubleSpinBox*>(QStringLiteral("spnCandidatesBefore"));
    auto* after = panel->findChild<QDoubleSpinBox*>(QStringLiteral("spnCandidatesAfter"));
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(before->value(), 1.0);
    EXPECT_EQ(after->value(), 3.0);
    EXPECT_EQ(after->maximum(), 60.0);
    EXPECT_EQ(after->decimals(), 1);

    before->setValue(GetParam().before);
    after->setValue(GetParam().after);

    EXPECT_EQ(window.session().ranking().beforeUs(), GetParam().expectedBeforeUs);
    EXPECT_EQ(window.session().ranking().afterUs(), GetParam().expectedAfterUs);
    EXPECT_EQ(before->value(), static_cast<double>(GetParam().expectedBeforeUs) / 1e6);
    EXPECT_EQ(after->value(), static_cast<double>(GetParam().expectedAfterUs) / 1e6);
}

INSTANTIATE_TEST_SUITE_P(Windows, CandidatesWindowTest,
                         testing::Values(WindowCase { "Wider", 2.5, 10, 2'500'000, 10'000'000 },
                                         WindowCase { "OnlyAfter", 0, 1.5, 0, 1'500'000 },
                                         WindowCase { "BothZeroRefused", 0, 0, 0, 3'000'000 }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
