#include "views/BitViewPanel.h"

#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "capture/signals/SignalDraft.h"
#include "dialogs/frmSignalEditor.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/BitGridModel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace {

using vexmoor::BitGridModel;
using vexmoor::BitViewPanel;
using vexmoor::PlotSignal;
using vexmoor::test::eventually;

// The main window with two identifiers in its table, 3E9 of two bytes first, and the bit view.
class BitViewPanelTest : public testing::Test {
protected:
    BitViewPanelTest()
    {
        send(0x3E9, { 0x12, 0x34 });
        send(0x100, { 0xFF });
        window.tableModel().refresh();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void send(std::uint32_t id, std::initializer_list<std::uint8_t> data)
    {
        window.session().ingestFrame(vexmoor::test::makeFrame(id, data), "can0");
    }

    void clickRow(int row)
    {
        QTableView& table = window.tableView();
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                          table.visualRect(table.model()->index(row, 0)).center());
    }

    QAction* viewAction() { return window.findChild<QAction*>(QStringLiteral("mnuViewBitView")); }
    QString heading() { return panel->findChild<QLabel*>(QStringLiteral("lblBitViewIdentifier"))->text(); }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
    BitViewPanel* panel = window.findChild<BitViewPanel*>(QStringLiteral("dockBitView"));
    QTableView* grid = window.findChild<QTableView*>(QStringLiteral("tblBitGrid"));
};

TEST_F(BitViewPanelTest, TheViewMenuShowsTheDockBelowTheTableWhichStaysInTheClientArea)
{
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Bit View"));
    auto* view = window.findChild<QMenu*>(QStringLiteral("MnuView"));
    EXPECT_TRUE(view->actions().contains(viewAction()));
    EXPECT_EQ(viewAction()->text(), QStringLiteral("Bit View"));
    EXPECT_TRUE(viewAction()->isCheckable());
    EXPECT_EQ(viewAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    QWidget* table = &window.tableView();
    const QRect withoutDock = table->geometry();

    viewAction()->trigger();
    ASSERT_TRUE(eventually([&] { return panel->isVisible() && table->geometry() != withoutDock; }));
    EXPECT_EQ(window.dockWidgetArea(panel), Qt::BottomDockWidgetArea);
    const QRect client = window.centralWidget()->rect();
    EXPECT_TRUE(client.contains(table->geometry())) << "the table stays in the client area above the dock";
    EXPECT_GT(table->height(), client.height() / 2) << "and keeps what the dock leaves";

    viewAction()->trigger();
    EXPECT_TRUE(eventually([&] { return table->geometry() == withoutDock; })) << "and has its room back";
}

TEST_F(BitViewPanelTest, FollowsTheSelectedRowAndForgetsItWithTheData)
{
    EXPECT_EQ(heading(), QStringLiteral("Select a row to see its bits."));
    clickRow(0);
    send(0x3E9, { 0x12, 0x34, 0x56 });
    QTest::qWait(100);
    EXPECT_EQ(grid->model()->rowCount(), 2) << "a hidden panel does not refresh";
    viewAction()->trigger();
    EXPECT_EQ(grid->model()->rowCount(), 3) << "and catches up as it is shown";
    window.tableView().clearSelection();
    EXPECT_EQ(heading(), QStringLiteral("Select a row to see its bits."));
    EXPECT_EQ(grid->model()->rowCount(), 0);

    clickRow(0);
    EXPECT_EQ(heading(), QStringLiteral("CAN_ID 3E9"));
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->index(1, BitGridModel::Hex).data().toString(), QStringLiteral("34"));
    clickRow(1);
    EXPECT_EQ(heading(), QStringLiteral("CAN_ID 100"));
    EXPECT_EQ(grid->model()->rowCount(), 1);

    send(0x100, { 0xFF, 0x01 });
    EXPECT_TRUE(eventually([&] { return grid->model()->rowCount() == 2; })) << "a longer frame grows the grid";
    window.findChild<QAction*>(QStringLiteral("MnuToolsClear"))->trigger();
    EXPECT_TRUE(eventually([&] { return grid->model()->rowCount() == 0; }));
    EXPECT_EQ(heading(), QStringLiteral("Select a row to see its bits."));
}

struct PlotClickCase {
    std::string name;
    int row;
    int column;
    PlotSignal expected;
};

void PrintTo(const PlotClickCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class PlotClickTest : public BitViewPanelTest, public testing::WithParamInterface<PlotClickCase> { };

TEST_P(PlotClickTest, AClickOnABitPlotsTheBitAndOneOnTheValueTheByte)
{
    viewAction()->trigger();
    ASSERT_TRUE(eventually([&] { return grid->isVisible(); }));
    clickRow(0);
    QSignalSpy requested(panel, &BitViewPanel::plotRequested);

    const QModelIndex cell = grid->model()->index(GetParam().row, GetParam().column);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());

    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested.first().first().value<PlotSignal>(), GetParam().expected);
    // The window hands the request to its plot, which shows itself with the value.
    ASSERT_EQ(window.session().plotted().count(), 1U);
    EXPECT_EQ(window.session().plotted().plotSignal(0), GetParam().expected);
    EXPECT_TRUE(window.findChild<QWidget*>(QStringLiteral("dockPlot"))->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Cells, PlotClickTest,
    testing::Values(PlotClickCase { "TopBit", 0, BitGridModel::Bit7, PlotSignal::ofBit(0x3E9, false, 0, 7) },
                    PlotClickCase { "BottomBit", 1, BitGridModel::Bit0, PlotSignal::ofBit(0x3E9, false, 1, 0) },
                    PlotClickCase { "MiddleBit", 1, BitGridModel::Bit5, PlotSignal::ofBit(0x3E9, false, 1, 5) },
                    PlotClickCase { "Hex", 1, BitGridModel::Hex, PlotSignal::ofBytes(0x3E9, false, 1) },
                    PlotClickCase { "Dec", 0, BitGridModel::Dec, PlotSignal::ofBytes(0x3E9, false, 0) }),
    [](const testing::TestParamInfo<PlotClickCase>& test) { return test.param.name; });

struct DragCase {
    std::string name;
    int fromRow, fromColumn, toRow, toColumn;
    int startBit, length;
    vexmoor::ByteOrder order;
};

void PrintTo(const DragCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class DragDefineTest : public BitViewPanelTest, public testing::WithParamInterface<DragCase> { };

// A drag from one bit to another opens the signal editor with that run in the byte order that makes
// it contiguous; the signal it adds is outlined on exactly its bits, and named on hover.
TEST_P(DragDefineTest, ADragAcrossBitsDefinesThatRun)
{
    viewAction()->trigger();
    ASSERT_TRUE(eventually([&] { return grid->isVisible(); }));
    clickRow(0);
    const DragCase& drag = GetParam();
    auto centre = [&](int row, int column) { return grid->visualRect(grid->model()->index(row, column)).center(); };
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &event);
    };
    send(QEvent::MouseButtonPress, centre(drag.fromRow, drag.fromColumn), Qt::LeftButton);
    send(QEvent::MouseMove, centre(drag.toRow, drag.toColumn), Qt::LeftButton);
    EXPECT_TRUE(grid->model()->index(drag.toRow, drag.toColumn).data(BitGridModel::DraggedRole).toBool());
    send(QEvent::MouseButtonRelease, centre(drag.toRow, drag.toColumn), Qt::NoButton);
    EXPECT_TRUE(window.session().plotted().count() == 0) << "a drag is no click";

    auto* editor = window.findChild<vexmoor::frmSignalEditor*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->signal().startBit, drag.startBit);
    EXPECT_EQ(editor->signal().length, drag.length);
    EXPECT_EQ(editor->signal().byteOrder, drag.order);
    editor->findChild<QLineEdit*>(QStringLiteral("txtSignalName"))->setText(QStringLiteral("RUN"));
    const std::vector<int> bits = vexmoor::SignalDraft::bitsOf(editor->signal());
    editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();

    for (int position = 0; position < 16; ++position) {
        const QModelIndex cell = grid->model()->index(position / 8, BitGridModel::Bit0 - position % 8);
        const bool inRun = std::find(bits.begin(), bits.end(), position) != bits.end();
        EXPECT_EQ(cell.data(BitGridModel::SignalColorRole).isValid(), inRun) << position;
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("MSG_3E9.RUN")), inRun) << position;
    }
}

INSTANTIATE_TEST_SUITE_P(Drags, DragDefineTest,
                         testing::Values(DragCase { "DownIsBigEndian", 0, BitGridModel::Bit3, 1, BitGridModel::Bit5, 3,
                                                    7, vexmoor::ByteOrder::BigEndian },
                                         DragCase { "UpIsLittleEndian", 1, BitGridModel::Bit5, 0, BitGridModel::Bit3, 3,
                                                    11, vexmoor::ByteOrder::LittleEndian }),
                         [](const testing::TestParamInfo<DragCase>& test) { return test.param.name; });

} // namespace
