#include "app/MarkControls.h"

#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "capture/record/CaptureSession.h"
#include "control/CaptureController.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <chrono>

namespace {

using vexmoor::BitRanking;
using vexmoor::MarksFile;
using vexmoor::test::eventually;

std::int64_t systemNowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

class MarkControlsTest : public testing::Test {
protected:
    MarkControlsTest()
    {
        window.session().ingestFrame(vexmoor::test::makeFrame(0x3E9, { 0x01 }), "can0");
        window.tableModel().refresh();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    QDockWidget* dock(const char* name) { return window.findChild<QDockWidget*>(QString::fromLatin1(name)); }
    const std::vector<vexmoor::Mark>& marks() { return window.session().ranking().marks(); }
    std::filesystem::path marksBeside(const QString& log)
    {
        return std::filesystem::path(vexmoor::MarkControls::marksPathBeside(log).toStdString());
    }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
};

// The user's eyes are on the car: F9 must work with the focus anywhere, here in the table.
TEST_F(MarkControlsTest, F9InTheTableTakesAMarkAtTheFramesNowAndBringsUpThePanelsInTurn)
{
    QAction* mark = action("mnuViewMark");
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(window.findChild<QMenu*>(QStringLiteral("MnuView"))->actions().contains(mark));
    EXPECT_TRUE(window.findChild<QToolBar*>(QStringLiteral("tbMarks"))->actions().contains(mark));
    EXPECT_TRUE(dock("dockMarks")->isHidden());
    EXPECT_TRUE(dock("dockCandidates")->isHidden());

    window.tableView().setFocus();
    ASSERT_TRUE(eventually([&] { return window.tableView().hasFocus(); }));
    const std::int64_t before = systemNowUs();
    QTest::keyClick(&window.tableView(), Qt::Key_F9);
    const std::int64_t after = systemNowUs();

    ASSERT_EQ(marks().size(), 1u);
    EXPECT_GE(marks()[0].timeUs, before);
    EXPECT_LE(marks()[0].timeUs, after);
    EXPECT_EQ(marks()[0].note, "");
    EXPECT_TRUE(dock("dockMarks")->isVisible()) << "the first mark shows the marks";
    EXPECT_TRUE(dock("dockCandidates")->isHidden()) << "one mark ranks nothing worth showing";

    QTest::keyClick(&window.tableView(), Qt::Key_F9);
    EXPECT_EQ(marks().size(), 2u);
    EXPECT_TRUE(dock("dockCandidates")->isVisible()) << "the second mark shows the candidates";
}

TEST_F(MarkControlsTest, MarkHereOnThePlotTakesAMarkAtTheTimeItNames)
{
    auto* plot = window.findChild<vexmoor::PlotPanel*>(QStringLiteral("dockPlot"));
    ASSERT_NE(plot, nullptr);

    emit plot->markRequested(1'700'000'012'000'000);

    ASSERT_EQ(marks().size(), 1u);
    EXPECT_EQ(marks()[0].timeUs, 1'700'000'012'000'000);
    EXPECT_TRUE(dock("dockMarks")->isVisible());
}

TEST_F(MarkControlsTest, PastTheLastMarkTheStatusBarSaysSoAndNothingIsTaken)
{
    for (std::size_t index = 0; index < BitRanking::kMaxMarks; ++index)
        ASSERT_TRUE(window.session().ranking().addMark(static_cast<std::int64_t>(index) * 1'000'000));

    action("mnuViewMark")->trigger();

    EXPECT_EQ(marks().size(), BitRanking::kMaxMarks);
    EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("All 64 marks are taken")))
        << window.statusBar()->currentMessage().toStdString();
}

// A drive's marks go to disk as they are taken, beside the log, and only while it is written.
TEST_F(MarkControlsTest, WhileALogIsWrittenEachMarkIsAppendedBesideIt)
{
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("drive.log"));
    ASSERT_TRUE(window.controller().startLogging(log));

    action("mnuViewMark")->trigger();
    window.session().ranking().setNote(0, "lights on");
    action("mnuViewMark")->trigger();
    const MarksFile::Parsed written = MarksFile::read(marksBeside(log));
    ASSERT_EQ(written.error, "");
    ASSERT_EQ(written.marks.size(), 2u);
    EXPECT_EQ(written.marks[0].timeUs, marks()[0].timeUs);
    EXPECT_EQ(written.marks[1].timeUs, marks()[1].timeUs);
    EXPECT_EQ(written.marks[0].note, "") << "a mark goes to disk as it is taken, before any note";

    window.controller().stopLogging();
    action("mnuViewMark")->trigger();
    EXPECT_EQ(MarksFile::read(marksBeside(log)).marks.size(), 2u) << "no log, no marks beside it";
    EXPECT_EQ(marks().size(), 3u);
}

TEST_F(MarkControlsTest, AMarksFileThatCannotBeWrittenIsSaidAndTheMarkIsStillTaken)
{
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("drive.log"));
    // A folder where the file would go: the log is written, its marks cannot be.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("drive.log.marks")));
    ASSERT_TRUE(window.controller().startLogging(log));

    action("mnuViewMark")->trigger();

    EXPECT_EQ(marks().size(), 1u);
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith(QStringLiteral("The mark was taken but not saved")))
        << window.statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(messageBox.shown.empty());
}

} // namespace
