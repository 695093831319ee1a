#include "app/ConnectionControls.h"
#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "control/CaptureController.h"
#include "platform/AnsweringFileChooser.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "platform/Twips.h"
#include "serial/FakeSerialPort.h"
#include "serial/PseudoTerminal.h"
#include "sources/LogReplay.h"
#include "sources/ScriptedSlcanAdapter.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using vexmoor::frmMain;
using vexmoor::LogReplay;
using vexmoor::UserMessageBox;
using vexmoor::test::rowsOf;

const QString kOpenLog = QStringLiteral("Open Log");

class OpenLogTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.setFileChooser(chooser);
        // The purge would thin a long replay on its own schedule; these tests look at the replay alone.
        window.controller().purgeTimer().setEnabled(false);
    }

    QString writeFile(const char* name, const std::string& bytes)
    {
        const QString path = directory.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    // File, Open Log..., answering the file question with this path and the choices in order.
    void openLog(const QString& path, QStringList answers = { QStringLiteral("At once") })
    {
        chooser.openPath = path;
        chooser.answers = std::move(answers);
        window.findChild<QAction*>(QStringLiteral("mnuFileOpenLog"))->trigger();
    }

    bool replayEnded()
    {
        return window.controller().replay() == nullptr && window.findChild<QProgressDialog*>() == nullptr;
    }

    QString statusText(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    int rows() { return window.session().table().rowCount(); }

    QTemporaryDir directory;
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::AnsweringFileChooser chooser;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    frmMain window { messageBox, port, clock };
};

TEST_F(OpenLogTest, TheRealCaptureReplayedAtOnceFillsTheTableWithItsIdentifiers)
{
    const auto capture = vexmoor::test::readTestData("honda_civic_type_r_turnonanddrive.log");
    if (!capture)
        GTEST_SKIP() << "the shared test data is not beside the project";
    // The window's own minimum identifier applies; at 0 every identifier of the capture has its row
    // (the default, 250, leaves out 039 and 094).
    window.session().txtMinID().setText("0");
    window.show();
    openLog(writeFile("turnonanddrive.log", *capture));

    EXPECT_TRUE(messageBox.asked.empty()) << "nothing to clear";
    EXPECT_EQ(chooser.offeredEach, (QList<QStringList> { { QStringLiteral("At once"), QStringLiteral("In time") } }))
        << "one interface: no question which";
    QPointer<QProgressDialog> progress = window.findChild<QProgressDialog*>(QStringLiteral("logProgress"));
    ASSERT_FALSE(progress.isNull());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_FALSE(progress->isModal()) << "the window stays usable";
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("Log turnonanddrive.log"));

    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));
    EXPECT_EQ(rows(), 57);
    EXPECT_EQ(statusText("statusReplay"), QStringLiteral("28,835 frames, 0 malformed lines"));
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("No source"));
    EXPECT_TRUE(messageBox.shown.empty());
}

const std::string kTwoInterfaces = "(1.000000) can0 300#01\n"
                                   "(1.000100) can1 301#02\n"
                                   "(1.000200) can0 302#03\n"
                                   "(1.000300) can1 303#04\n"
                                   "(1.000400) can1 303#05\n";

class ClearQuestionTest : public OpenLogTest, public testing::WithParamInterface<bool> { };

TEST_P(ClearQuestionTest, YesEmptiesTheTableBeforeTheReplayAndNoKeepsItsRows)
{
    window.session().ingest("<1500,1,>");
    const auto before = rowsOf(window.session().table());
    messageBox.answer = GetParam();
    openLog(writeFile("two.log", kTwoInterfaces), { QStringLiteral("At once"), QStringLiteral("All interfaces") });
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));

    ASSERT_EQ(messageBox.asked.size(), 1u);
    EXPECT_EQ(messageBox.asked[0].text, QStringLiteral("Clear the table first?"));
    EXPECT_EQ(rows(), GetParam() ? 4 : 5);
    if (!GetParam()) {
        EXPECT_EQ(rowsOf(window.session().table()).front(), before.front());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ClearQuestionTest, testing::Bool(),
                         [](const auto& testCase) { return testCase.param ? "Yes" : "No"; });

struct BeforeLogCase {
    const char* name;
    void (*fill)(vexmoor::CaptureSession& session);
    bool asked;
};

void PrintTo(const BeforeLogCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ClearQuestionAskedTest : public OpenLogTest, public testing::WithParamInterface<BeforeLogCase> { };

// Only what the user sees is worth the question; unasked, the log starts on cleared data all the same.
TEST_P(ClearQuestionAskedTest, OnlyWhenClearingTakesSomethingInSight)
{
    GetParam().fill(window.session());
    openLog(writeFile("two.log", kTwoInterfaces), { QStringLiteral("At once"), QStringLiteral("All interfaces") });
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));

    EXPECT_EQ(messageBox.asked.size(), GetParam().asked ? 1u : 0u);
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(window.session().changes().size(), 4u) << "the log's identifiers only";
}

INSTANTIATE_TEST_SUITE_P(
    Before, ClearQuestionAskedTest,
    testing::Values(BeforeLogCase { "Nothing", [](vexmoor::CaptureSession&) {}, false },
                    BeforeLogCase { "OnlyFramesWithoutARow",
                                    [](vexmoor::CaptureSession& session) {
                                        session.ingestFrame(vexmoor::test::makeFrame(0x050, { 1 }), "can0");
                                    },
                                    false },
                    BeforeLogCase { "AMarkWithoutRows",
                                    [](vexmoor::CaptureSession& session) { session.ranking().addMark(1'000'000); },
                                    true }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(OpenLogTest, ALogOfSeveralInterfacesAsksWhichAndReplaysOnlyThatOne)
{
    openLog(writeFile("two.log", kTwoInterfaces), { QStringLiteral("At once"), QStringLiteral("can1") });
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));

    ASSERT_EQ(chooser.offeredEach.size(), 2);
    EXPECT_EQ(chooser.offeredEach[1],
              (QStringList { QStringLiteral("All interfaces"), QStringLiteral("All, a row per bus"),
                             QStringLiteral("can0"), QStringLiteral("can1") }));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(statusText("statusReplay"), QStringLiteral("3 frames, 0 malformed lines"));
}

// A row per bus: one identifier on two buses keeps two rows, each naming its bus. Switching back to one
// row per identifier asks, and a "no" keeps the rows as they are.
TEST_F(OpenLogTest, AllWithARowPerBusKeepsTheBusesApartUntilTheOptionIsSwitchedOff)
{
    window.session().txtMinID().setText("0");
    openLog(writeFile("two.log", "(1.0) can0 300#01\n(1.1) can1 300#02\n(1.2) can1 300#03\n"),
            { QStringLiteral("At once"), QStringLiteral("All, a row per bus") });
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));

    const auto& model = window.tableModel();
    ASSERT_TRUE(vexmoor::test::eventually([&] { return model.rowCount() == 2; }));
    EXPECT_FALSE(window.tableView().isColumnHidden(vexmoor::MessageTableModel::kBusColumn));
    EXPECT_EQ(model.data(model.index(0, vexmoor::MessageTableModel::kBusColumn)).toString(), QStringLiteral("can0"));
    EXPECT_EQ(model.data(model.index(1, vexmoor::MessageTableModel::kBusColumn)).toString(), QStringLiteral("can1"));
    EXPECT_EQ(window.session().table().cell(2, vexmoor::MessageColumn::MsgCount), "2");

    auto* rowsPerBus = window.findChild<QAction*>(QStringLiteral("mnuViewRowsPerBus"));
    ASSERT_TRUE(rowsPerBus->isChecked());
    messageBox.answer = false;
    rowsPerBus->trigger();
    EXPECT_TRUE(rowsPerBus->isChecked());
    EXPECT_EQ(rows(), 2);
    messageBox.answer = true;
    rowsPerBus->trigger();
    EXPECT_FALSE(rowsPerBus->isChecked());
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(window.tableView().isColumnHidden(vexmoor::MessageTableModel::kBusColumn));
    EXPECT_EQ(messageBox.asked.size(), 2U);
}

struct BadFileCase {
    const char* name;
    const char* contents; // nullptr: no such file
    const char* reason;
};

void PrintTo(const BadFileCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class BadFileTest : public OpenLogTest, public testing::WithParamInterface<BadFileCase> { };

TEST_P(BadFileTest, ShowsOneMessageWithTheReasonAndChangesNothing)
{
    window.session().ingest("<1500,1,>");
    const auto before = rowsOf(window.session().table());
    const QString path = GetParam().contents == nullptr ? directory.filePath(QStringLiteral("missing.log"))
                                                        : writeFile("bad.log", GetParam().contents);
    openLog(path);
    QTest::qWait(20);

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, kOpenLog);
    EXPECT_EQ(messageBox.shown[0].icon, UserMessageBox::Icon::Error);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QString::fromLatin1(GetParam().reason)))
        << messageBox.shown[0].text.toStdString();
    EXPECT_TRUE(messageBox.asked.empty()) << "no question after the refusal";
    EXPECT_EQ(chooser.asked, QStringList { kOpenLog }) << "only the file was asked for";
    EXPECT_EQ(rowsOf(window.session().table()), before);
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("No source"));
    EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest,
                         testing::Values(BadFileCase { "Missing", nullptr, "No such file or directory" },
                                         BadFileCase { "NotALog", "Drove to the shop.\nEngine on.\n",
                                                       "is not a candump log, a GVRET CSV or a board stream" }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

std::string distinctFrames(int count)
{
    std::string text;
    char line[32];
    for (int index = 0; index < count; ++index) {
        std::snprintf(line, sizeof line, "(1.000000) can0 %03X#01\n", 0x100 + index);
        text += line;
    }
    return text;
}

TEST_F(OpenLogTest, CancelInTheProgressDialogKeepsWhatWasReplayedAndEndsTheReplay)
{
    window.show();
    openLog(writeFile("many.log", distinctFrames(1500)));
    ASSERT_NE(window.controller().replay(), nullptr);
    window.controller().replay()->setChunkBytes(240);
    for (int turn = 0; turn < 100 && rows() < 10; ++turn)
        QCoreApplication::processEvents();
    auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("logProgress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_LT(progress->value(), 100);

    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));
    const int replayed = rows();
    EXPECT_GE(replayed, 10);
    EXPECT_LT(replayed, 1500);
    QTest::qWait(50);
    EXPECT_EQ(rows(), replayed);
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("No source"));
}

TEST_F(OpenLogTest, InTimeTheToolBarCommandsTheReplayAndTheTableStaysClearOfIt)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* table = window.findChild<QWidget*>(QStringLiteral("ListView1"));
    auto* statusBar = window.findChild<QStatusBar*>(QStringLiteral("statusBar"));
    auto* toolBar = window.findChild<QToolBar*>(QStringLiteral("replayToolBar"));
    ASSERT_NE(toolBar, nullptr);
    EXPECT_FALSE(toolBar->isVisible());
    const QRect withoutToolBar = table->geometry();

    // A frame now and one 100 s later: the replay is still under way when the test ends it.
    openLog(writeFile("drive.log", "(5.000000) can0 300#01\n(105.000000) can0 301#01\n"),
            { QStringLiteral("In time") });
    LogReplay* replay = window.controller().replay();
    ASSERT_NE(replay, nullptr);
    // The replay's tool bar shares its row with the marks' one: the row takes the taller one's height.
    const double dpi = vexmoor::Twips::logicalDpiOf(window);
    auto expectedHeight = [&] {
        const int roomTwips = static_cast<int>(
            (window.frameGeometry().height() - statusBar->height() - toolBar->height()) * 1440.0 / dpi);
        return vexmoor::Twips::toPixels(roomTwips - 1590, dpi);
    };
    ASSERT_TRUE(vexmoor::test::eventually([&] { return toolBar->isVisible() && table->height() == expectedHeight(); }));
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("Log drive.log"));
    EXPECT_EQ(table->width(), withoutToolBar.width());
    const QRect inWindow(table->mapTo(&window, QPoint(0, 0)), table->size());
    EXPECT_GE(inWindow.top(), toolBar->geometry().bottom()) << "the tool bar stays clear of the table";
    EXPECT_LE(inWindow.bottom(), statusBar->geometry().top()) << "the status bar stays clear of the table";

    auto* playPause = window.findChild<QToolButton*>(QStringLiteral("replayPlayPause"));
    EXPECT_TRUE(replay->isPlaying());
    EXPECT_EQ(playPause->text(), QStringLiteral("Pause"));
    ASSERT_TRUE(vexmoor::test::eventually([&] { return rows() == 1; }));
    QTest::mouseClick(playPause, Qt::LeftButton);
    EXPECT_FALSE(replay->isPlaying());
    EXPECT_EQ(playPause->text(), QStringLiteral("Play"));
    const auto pausedAt = replay->replayTime();
    QTest::qWait(30);
    EXPECT_EQ(replay->replayTime(), pausedAt);

    auto* speed = window.findChild<QComboBox*>(QStringLiteral("replaySpeed"));
    EXPECT_EQ(speed->currentText(), QStringLiteral("1x"));
    QTest::keyClick(speed, Qt::Key_Down);
    EXPECT_EQ(replay->speed(), 10);
    QTest::mouseClick(playPause, Qt::LeftButton);
    EXPECT_TRUE(replay->isPlaying());

    QPointer<LogReplay> ended = replay;
    QTest::mouseClick(window.findChild<QToolButton*>(QStringLiteral("replayStop")), Qt::LeftButton);
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("No source"));
    EXPECT_EQ(window.controller().replay(), nullptr);
    EXPECT_TRUE(vexmoor::test::eventually([&] { return ended.isNull(); }));
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_TRUE(vexmoor::test::eventually([&] { return table->geometry() == withoutToolBar; }));
    QTest::qWait(30);
    EXPECT_EQ(rows(), 1);
}

TEST_F(OpenLogTest, OpeningAnotherSourceEndsTheReplay)
{
    openLog(writeFile("drive.log", "(5.000000) can0 300#01\n(105.000000) can0 301#01\n"),
            { QStringLiteral("In time") });
    QPointer<LogReplay> replay = window.controller().replay();
    ASSERT_FALSE(replay.isNull());

    window.findChild<QAction*>(QStringLiteral("mnuToolsCommConnect"))->trigger();
    EXPECT_TRUE(replay->isFinished());
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("Board on 4"));
    EXPECT_FALSE(window.findChild<QToolBar*>(QStringLiteral("replayToolBar"))->isVisibleTo(&window));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return replay.isNull(); }));
}

struct AfterReplayCase {
    const char* name;
    const char* action;
    const char* counts; // what the replay's status reads afterwards; empty: hidden
};

void PrintTo(const AfterReplayCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class AfterReplayTest : public OpenLogTest, public testing::WithParamInterface<AfterReplayCase> { };

// The counts of a replay stand for the rows it filled, until they are cleared or another source fills the table.
TEST_P(AfterReplayTest, TheReplaysCountsGoWithItsRowsOrTheNextSource)
{
    vexmoor::test::PseudoTerminal line;
    vexmoor::test::ScriptedSlcanAdapter adapter(line, &vexmoor::test::ScriptedSlcanAdapter::willingAdapter);
    window.findChild<vexmoor::ConnectionControls*>()->setAskAddress([&line](const vexmoor::SourceAddress&) {
        return vexmoor::SourceAddress::slcan(line.devicePath().toStdString());
    });
    openLog(writeFile("one.log", "(1.000000) can0 300#01\n"));
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));
    ASSERT_EQ(statusText("statusReplay"), QStringLiteral("1 frame, 0 malformed lines"));

    chooser.openPath = writeFile("two.log", "(1.000000) can0 300#01\n(2.000000) can0 301#01\n");
    window.findChild<QAction*>(QString::fromLatin1(GetParam().action))->trigger();
    ASSERT_TRUE(vexmoor::test::eventually([&] { return replayEnded(); }));

    EXPECT_EQ(statusText("statusReplay"), QString::fromLatin1(GetParam().counts));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("statusReplay"))->isHidden(), *GetParam().counts == 0);
    EXPECT_TRUE(messageBox.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Actions, AfterReplayTest,
                         testing::Values(AfterReplayCase { "ClearAllData", "MnuToolsClear", "" },
                                         AfterReplayCase { "ConnectToCom", "mnuToolsCommConnect", "" },
                                         AfterReplayCase { "ConnectToCanInterface", "mnuToolsConnectInterface", "" },
                                         AfterReplayCase { "AnotherLog", "mnuFileOpenLog",
                                                           "2 frames, 0 malformed lines" }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(OpenLogTest, TheStatusBarSaysWhichSourceClosedWhenAnotherTookItsPlace)
{
    window.findChild<QAction*>(QStringLiteral("mnuToolsCommConnect"))->trigger();
    openLog(writeFile("drive.log", "(5.000000) can0 300#01\n(105.000000) can0 301#01\n"),
            { QStringLiteral("In time") });
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("Closed Board on 4"));
    EXPECT_EQ(statusText("statusSource"), QStringLiteral("Log drive.log"));
}

} // namespace
