#include "app/frmMain.h"
#include "app/SuppressionControls.h"
#include "capture/CaptureTestSupport.h"
#include "control/CaptureController.h"
#include "control/TimersAtStart.h"
#include "platform/AnsweringFileChooser.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"
#include "serial/frmComSettings.h"
#include "sources/LogWriter.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using vexmoor::frmMain;
using vexmoor::MessageColumn;
using vexmoor::Timer;
using vexmoor::UserMessageBox;

class frmMainTest : public testing::Test {
protected:
    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    QListView* list(const char* name) { return window.findChild<QListView*>(QString::fromLatin1(name)); }
    QLabel* statusLabel() { return window.findChild<QLabel*>(QStringLiteral("lblAutofilter")); }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    frmMain window { messageBox, port, clock };
};

// A menu's own entries, "-" for a separator, as "name caption".
struct OwnMenu {
    const char* name;
    std::vector<std::string> entries;
};

std::string entryText(const QAction* entry)
{
    return entry->isSeparator() ? std::string("-")
                                : (entry->objectName() + QLatin1Char(' ') + entry->text()).toStdString();
}

TEST_F(frmMainTest, ShowsItsCaptionStatusLineMenusAndTimersAsTheyStart)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CAN-BUS Vexmoor - By Pemberlowe V1.06"));
    EXPECT_EQ(statusLabel()->text(), QStringLiteral("Auto Filter CAN-IDs on 1000 counts"));
    // Each menu starts with its own entries in their order; whatever was added comes behind a
    // separator after them, and the menu bar ends with its two entries of its own.
    const std::vector<OwnMenu> menus {
        { "MnuFile &File", { "MnuFileDumData Dump Data to CSV", "-", "MnuFileExit &Exit" } },
        { "MnuView View", { "mnuTglIgnoreList Toggle Ignore List" } },
        { "MnuFinder Finder/Filter", { "MnuToolsFind Find ID/FilterTool" } },
        { "Tools &Tools",
          { "mnuToolsCommConnect Connect To COM", "MnuToolsComSettings Com Settings", "MnuToolsOptions Options", "-",
            "MnuToolsClearIDIngoreList Clear ID Ignore List", "MnuToolsClearIgnore Clear Message  Ignore List",
            "MnuToolsClear &Clear All Data in the List" } },
        { "MnuEmulator Emulator",
          { "MnuFileToggleEmulation &Turn Emulation On", "MnuEmulatorSendSample Send Random Sample Message",
            "MnuSendUnimplemented Send (Unimplemented)", "mnuEmuInteriour Interiour Controls" } },
    };
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(menus.size() + 2));
    for (std::size_t index = 0; index < menus.size(); ++index) {
        EXPECT_EQ(entryText(bar[static_cast<qsizetype>(index)]), menus[index].name);
        const QList<QAction*> entries = bar[static_cast<qsizetype>(index)]->menu()->actions();
        const auto& own = menus[index].entries;
        ASSERT_GE(entries.size(), static_cast<qsizetype>(own.size())) << menus[index].name;
        for (std::size_t entry = 0; entry < own.size(); ++entry)
            EXPECT_EQ(entryText(entries[static_cast<qsizetype>(entry)]), own[entry]) << menus[index].name;
        if (entries.size() > static_cast<qsizetype>(own.size())) {
            EXPECT_TRUE(entries[static_cast<qsizetype>(own.size())]->isSeparator()) << menus[index].name;
        }
    }
    EXPECT_EQ(entryText(bar[5]), "MnuArduinoSketch Arduino Sketch");
    EXPECT_EQ(entryText(bar[6]), "About &About");
    EXPECT_EQ(action("MnuToolsFind")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(action("mnuViewSuppress")->shortcut(), QKeySequence(Qt::Key_F8));

    vexmoor::test::expectTimersAsAtStart(window);
    EXPECT_TRUE(list("List1")->isHidden());
    EXPECT_TRUE(list("List2")->isHidden());
}

struct TooSmallCase {
    const char* name;
    QSize size;
    bool keepsWidth;
};

void PrintTo(const TooSmallCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class TooSmallTest : public frmMainTest, public testing::WithParamInterface<TooSmallCase> { };

// The table follows the window: it grows and shrinks by as much as the window does, stays clear of the
// status bar, and a window too small for it leaves the size that would go below nothing as it was.
TEST_P(TooSmallTest, TheTableFollowsTheWindowAndKeepsASizeThatWouldGoNegative)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* table = window.findChild<QWidget*>(QStringLiteral("ListView1"));
    auto* statusBar = window.findChild<QStatusBar*>(QStringLiteral("statusBar"));
    ASSERT_NE(statusBar, nullptr);
    auto resizeTo = [&](QSize size) {
        window.resize(size);
        return vexmoor::test::eventually([&] { return window.size() == size; });
    };

    ASSERT_TRUE(resizeTo(QSize(900, 600)));
    const QRect before = table->geometry();
    EXPECT_LE(before.bottom(), statusBar->geometry().top()) << "the status bar stays clear of the table";
    EXPECT_LE(before.right(), window.centralWidget()->width());
    ASSERT_TRUE(resizeTo(QSize(1000, 650)));
    EXPECT_EQ(table->pos(), before.topLeft());
    EXPECT_NEAR(table->width() - before.width(), 100, 1);
    EXPECT_NEAR(table->height() - before.height(), 50, 1);
    ASSERT_TRUE(resizeTo(QSize(900, 600)));
    EXPECT_EQ(table->geometry(), before);

    const QSize small = GetParam().size;
    window.setMinimumSize(1, 1);
    ASSERT_TRUE(resizeTo(small)) << window.size().width() << "x" << window.size().height();
    EXPECT_EQ(table->pos(), before.topLeft());
    if (GetParam().keepsWidth) {
        EXPECT_EQ(table->width(), before.width()) << "the window is far narrower than the table";
        EXPECT_EQ(table->height(), before.height());
    } else {
        EXPECT_EQ(table->height(), before.height());
        EXPECT_LT(table->width(), before.width());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TooSmallTest,
                         testing::Values(TooSmallCase { "Narrow", QSize(1, 600), true },
                                         TooSmallCase { "Low", QSize(700, 1), false }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// The offscreen platform moves no pointer, so the movements are sent as the window system would.
void moveMouseOver(QWidget* widget, QPoint position)
{
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST_F(frmMainTest, TheStatusLineTurnsBlueUnderTheMouseUntilTheMouseCrossesTheBackground)
{
    window.show();
    QLabel* label = statusLabel();
    moveMouseOver(label, QPoint(5, 5));
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    moveMouseOver(window.findChild<QTableView*>(QStringLiteral("ListView1"))->viewport(), QPoint(5, 5));
    EXPECT_TRUE(label->font().underline());

    moveMouseOver(window.centralWidget(), QPoint(label->geometry().right() + 40, 5));
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(frmMainTest, OnlyALeftPressAndReleaseOnTheStatusLineOpensFind)
{
    window.show();
    QLabel* label = statusLabel();
    auto findIsOpen = [] {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(), [](QWidget* widget) {
            return widget->objectName() == QStringLiteral("frmFind") && widget->isVisible();
        });
    };

    QTest::mouseClick(label, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(findIsOpen()) << "right click";
    QTest::mousePress(window.centralWidget(), Qt::LeftButton, {}, QPoint(label->geometry().right() + 40, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(findIsOpen()) << "pressed beside the label, released on it";
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 40, 5));
    EXPECT_FALSE(findIsOpen()) << "pressed on the label, released beside it";

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(findIsOpen());
}

TEST_F(frmMainTest, ListCommandsActOnTheTableAndTheIgnoreLists)
{
    auto& session = window.session();
    session.List1().append("<700,1,>");
    session.List2().append("7FF");
    session.ingest("<680,1,>");
    session.ingest("<2047,1,>");

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    action("mnuTglIgnoreList")->trigger();
    EXPECT_TRUE(list("List1")->isVisible());
    EXPECT_TRUE(list("List2")->isVisible());
    action("mnuTglIgnoreList")->trigger();
    EXPECT_FALSE(list("List1")->isVisible());
    EXPECT_FALSE(list("List2")->isVisible());

    action("MnuToolsClear")->trigger();
    action("MnuToolsClear")->trigger();
    EXPECT_EQ(session.table().rowCount(), 0);
    session.ingest("<2047,1,>");
    EXPECT_EQ(session.table().rowCount(), 0);

    action("MnuToolsClearIDIngoreList")->trigger();
    session.ingest("<2047,1,>");
    EXPECT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(session.List1().count(), 1);
    action("MnuToolsClearIgnore")->trigger();
    EXPECT_EQ(session.List1().count(), 0);
    EXPECT_EQ(list("List1")->model()->rowCount(), 0);

    action("MnuFileDumData")->trigger();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, QStringLiteral("Not Implemented yet"));
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Note!"));
    EXPECT_EQ(messageBox.shown[0].icon, UserMessageBox::Icon::None);
    EXPECT_EQ(session.table().rowCount(), 1);
}

TEST_F(frmMainTest, TheUpkeepTimersPurgeIntoTheVisibleIdentifierListAndResetChangeMarks)
{
    auto& session = window.session();
    session.ingest("<680,1,>");
    session.ingest("<680,2,>");
    session.ingest("<700,1,>");
    session.table().setCell(2, MessageColumn::ChangeCount, "1001");

    window.findChild<Timer*>(QStringLiteral("Timer3"))->setInterval(1);
    window.findChild<Timer*>(QStringLiteral("Timer4"))->setInterval(1);
    EXPECT_TRUE(vexmoor::test::eventually([&] { return session.table().rowCount() == 1; }));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return session.table().cell(1, MessageColumn::Change).empty(); }));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return list("List2")->model()->rowCount() == 1; }));
    EXPECT_EQ(list("List2")->model()->index(0, 0).data().toString(), QStringLiteral("2BC"));
}

TEST_F(frmMainTest, AnIdentifierPurgedAgainAfterClearIdIgnoreListReturnsToTheList)
{
    auto& session = window.session();
    auto* purge = window.findChild<Timer*>(QStringLiteral("Timer3"));
    auto overThreshold = [&] {
        session.ingest("<680,1,>");
        ASSERT_EQ(session.table().rowCount(), 1);
        session.table().setCell(1, MessageColumn::ChangeCount, "1001");
    };

    overThreshold();
    emit purge->tick();
    EXPECT_EQ(session.table().rowCount(), 0);
    EXPECT_EQ(session.List2().entries(), (std::vector<std::string> { "2A8" }));

    action("MnuToolsClearIDIngoreList")->trigger();
    EXPECT_EQ(list("List2")->model()->rowCount(), 0);
    overThreshold();
    emit purge->tick();
    EXPECT_EQ(session.table().rowCount(), 0);
    EXPECT_EQ(session.List2().entries(), (std::vector<std::string> { "2A8" }));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return list("List2")->model()->rowCount() == 1; }));
    EXPECT_EQ(list("List2")->model()->index(0, 0).data().toString(), QStringLiteral("2A8"));
}

TEST_F(frmMainTest, ConnectUsesThePortTextAndTheSettingsWindowIsASingleInstance)
{
    action("MnuToolsComSettings")->trigger();
    action("MnuToolsComSettings")->trigger();
    const auto windows = QApplication::topLevelWidgets();
    const auto settingsWindows = std::count_if(windows.begin(), windows.end(), [](QWidget* widget) {
        return widget->objectName() == QStringLiteral("frmComSettings");
    });
    EXPECT_EQ(settingsWindows, 1);

    action("mnuToolsCommConnect")->trigger();
    EXPECT_EQ(port.portNumber, 4);
    EXPECT_TRUE(window.findChild<Timer*>(QStringLiteral("Timer2"))->isEnabled());
    EXPECT_TRUE(messageBox.shown.empty());

    port.pending.push_back("CAN BUS Shield init ok!\r\n<680,1,>\r\n");
    window.findChild<Timer*>(QStringLiteral("Timer2"))->setInterval(1);
    EXPECT_TRUE(vexmoor::test::eventually([&] { return window.session().table().rowCount() == 1; }));
}

TEST_F(frmMainTest, TheStatusBarNamesTheBoardOnceConnectedAndShowsTheFrameRate)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* statusBar = window.findChild<QStatusBar*>(QStringLiteral("statusBar"));
    auto* source = window.findChild<QLabel*>(QStringLiteral("statusSource"));
    auto* rate = window.findChild<QLabel*>(QStringLiteral("statusRate"));
    ASSERT_NE(statusBar, nullptr);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(rate, nullptr);
    EXPECT_TRUE(source->isVisible());
    EXPECT_EQ(statusBar->geometry().bottom(), window.rect().bottom());
    EXPECT_EQ(source->text(), QStringLiteral("No source"));
    EXPECT_EQ(rate->text(), QStringLiteral("0 frames/s"));

    // Tools, then Connect To COM, as the user clicks them.
    QMenuBar* menus = window.menuBar();
    QTest::mouseClick(menus, Qt::LeftButton, {}, menus->actionGeometry(action("Tools")).center());
    auto* tools = window.findChild<QMenu*>(QStringLiteral("Tools"));
    ASSERT_TRUE(vexmoor::test::eventually([&] { return tools->isVisible(); }));
    QTest::mouseClick(tools, Qt::LeftButton, {}, tools->actionGeometry(action("mnuToolsCommConnect")).center());
    EXPECT_TRUE(port.opened);
    EXPECT_EQ(source->text(), QStringLiteral("Board on 4"));

    port.pending.push_back("<680,1,>\r\n<681,1,>\r\n<682,1,>\r\n");
    window.controller().pollNow();
    window.controller().sampleFrameRate(std::chrono::milliseconds(2000));
    EXPECT_EQ(rate->text(), QStringLiteral("2 frames/s"));
}

TEST_F(frmMainTest, TheTableShowsTheTrackedColumnsAndANewWindowHidesWhatTheLastOneHid)
{
    window.session().ingestFrame(vexmoor::test::makeFrame(0x3A1, { 0x01, 0xA0 }), "can0");
    window.tableModel().refresh();
    const QAbstractItemModel* model = window.tableView().model();
    ASSERT_EQ(model, &window.tableModel());
    EXPECT_EQ(model->data(model->index(0, vexmoor::MessageTableModel::kDataColumn)).toString(),
              QStringLiteral("01 A0"));

    QMenu* columns = window.tableView().columnMenu();
    columns->findChild<QAction*>(QStringLiteral("mnuColumnPeriod"))->trigger();
    EXPECT_TRUE(window.tableView().isColumnHidden(vexmoor::MessageTableModel::kPeriodColumn));

    frmMain next { messageBox, port, clock };
    for (int column = 0; column < next.tableModel().columnCount(); ++column)
        EXPECT_EQ(next.tableView().isColumnHidden(column),
                  column == vexmoor::MessageTableModel::kPeriodColumn
                      || column == vexmoor::MessageTableModel::kBusColumn)
            << column;
    next.tableView().columnMenu()->findChild<QAction*>(QStringLiteral("mnuColumnPeriod"))->trigger();
    EXPECT_FALSE(next.tableView().isColumnHidden(vexmoor::MessageTableModel::kPeriodColumn));
}

// The table and the suppression read one clock the test sets, so that the window of recent flips
// does not depend on when the test runs.
TEST_F(frmMainTest, TheViewMenuSuppressesTheRecentFlipsUntilClearedAndTheStatusBarCountsThem)
{
    constexpr std::int64_t kStartUs = 1'700'000'000'000'000;
    vexmoor::test::FixedFramesClock framesClock { kStartUs };
    window.tableModel().setClock(framesClock);
    auto* controls = window.findChild<vexmoor::SuppressionControls*>();
    ASSERT_NE(controls, nullptr);
    controls->setClock(framesClock);
    auto* status = window.findChild<QLabel*>(QStringLiteral("statusSuppressed"));
    ASSERT_NE(status, nullptr);
    auto send
        = [this](std::uint32_t id, std::int64_t atUs, std::initializer_list<std::uint8_t> data, bool extended = false) {
              window.session().ingestFrame(
                  vexmoor::test::makeFrame(id, data, { .extended = extended, .timestampUs = atUs }), "can0");
          };
    auto firstByteColour = [this] {
        window.tableModel().refresh();
        const QVariantList colours = window.tableModel()
                                         .data(window.tableModel().index(0, vexmoor::MessageTableModel::kDataColumn),
                                               vexmoor::MessageTableModel::ByteBackgroundsRole)
                                         .toList();
        return colours.value(0).value<QColor>();
    };
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(action("mnuViewClearSuppression")->isEnabled());

    send(0x3A1, kStartUs, { 0x00 });
    send(0x100, kStartUs, { 0x00, 0x00 }, true);
    send(0x3A1, kStartUs + 100'000, { 0x01 });
    send(0x100, kStartUs + 200'000, { 0x00, 0xC0 }, true);
    framesClock.nowAtUs = kStartUs + 1'000'000;
    EXPECT_TRUE(firstByteColour().isValid());

    action("mnuViewSuppress")->trigger();
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), QStringLiteral("3 bits suppressed"));
    EXPECT_TRUE(action("mnuViewClearSuppression")->isEnabled());
    EXPECT_FALSE(firstByteColour().isValid()) << "its only flip is suppressed";

    action("MnuToolsClear")->trigger();
    EXPECT_EQ(window.session().table().rowCount(), 0);
    EXPECT_EQ(status->text(), QStringLiteral("3 bits suppressed")) << "the bits still always move";
    send(0x3A1, framesClock.nowAtUs, { 0x00 });
    framesClock.nowAtUs += 100'000;
    send(0x3A1, framesClock.nowAtUs, { 0x01 });
    EXPECT_FALSE(firstByteColour().isValid());

    action("mnuViewClearSuppression")->trigger();
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(action("mnuViewClearSuppression")->isEnabled());
    EXPECT_TRUE(firstByteColour().isValid());
}

TEST_F(frmMainTest, ExitEndsTheRunWithEveryOtherWindow)
{
    window.show();
    action("MnuToolsComSettings")->trigger();
    QPointer<QWidget> settings;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("frmComSettings"))
            settings = widget;
    }
    ASSERT_FALSE(settings.isNull());

    action("MnuFileExit")->trigger();
    EXPECT_TRUE(settings.isNull());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.findChild<Timer*>(QStringLiteral("Timer3"))->isEnabled());
}

class frmMainLoggingTest : public frmMainTest {
protected:
    frmMainLoggingTest()
    {
        window.setFileChooser(chooser);
        window.controller().logWriter().setArrivalClock([] { return std::int64_t { 1'700'000'000'000'000 }; });
        window.session().txtMinID().setText("0");
        chooser.savePath = folder.filePath(QStringLiteral("drive.log"));
    }

    QLabel* loggingStatus() { return window.findChild<QLabel*>(QStringLiteral("statusLogging")); }
    void tickFlushTimer()
    {
        QMetaObject::invokeMethod(window.findChild<QTimer*>(QStringLiteral("logFlushTimer")), "timeout");
    }
    // The user opens the File menu and clicks the entry.
    void clickFileEntry(const char* name)
    {
        QMenuBar* menus = window.menuBar();
        QTest::mouseClick(menus, Qt::LeftButton, {}, menus->actionGeometry(action("MnuFile")).center());
        auto* file = window.findChild<QMenu*>(QStringLiteral("MnuFile"));
        ASSERT_TRUE(vexmoor::test::eventually([&] { return file->isVisible(); }));
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(action(name)).center());
    }
    bool showsNotLogging()
    {
        return action("mnuFileStartLogging")->isEnabled() && !action("mnuFileStopLogging")->isEnabled()
            && (loggingStatus()->isHidden() || loggingStatus()->text().isEmpty());
    }
    std::string logText()
    {
        QFile file(chooser.savePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(unreadable)");
    }

    QTemporaryDir folder;
    vexmoor::test::AnsweringFileChooser chooser;
};

TEST_F(frmMainLoggingTest, TheFileMenuStartsAndStopsLoggingWhileTheStatusBarCountsTheFrames)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_NE(loggingStatus(), nullptr);
    EXPECT_TRUE(showsNotLogging());
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("statusSource"))->isVisible());
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("statusRate"))->isVisible());

    clickFileEntry("mnuFileStartLogging");

    EXPECT_EQ(chooser.asked, QStringList { QStringLiteral("Start Logging") });
    EXPECT_FALSE(action("mnuFileStartLogging")->isEnabled());
    EXPECT_TRUE(action("mnuFileStopLogging")->isEnabled());
    EXPECT_TRUE(loggingStatus()->isVisible());
    EXPECT_EQ(loggingStatus()->text(), QStringLiteral("Logging to drive.log: 0 frames"));

    action("MnuSendUnimplemented")->trigger();
    window.session().ingest("<2048,1,>");
    tickFlushTimer();
    EXPECT_EQ(loggingStatus()->text(), QStringLiteral("Logging to drive.log: 1 frame, 1 record not logged"));
    const std::string flushed = logText();
    EXPECT_EQ(flushed.rfind("(1700000000.000000) board 600#0", 0), 0u) << flushed;
    EXPECT_EQ(flushed.find('\n'), flushed.size() - 1) << "one whole line: " << flushed;
    action("MnuSendUnimplemented")->trigger();
    window.session().ingest("<680,1,>");
    tickFlushTimer();
    EXPECT_EQ(loggingStatus()->text(), QStringLiteral("Logging to drive.log: 3 frames, 1 record not logged"));

    action("MnuSendUnimplemented")->trigger();
    action("mnuFileStopLogging")->trigger();
    EXPECT_TRUE(showsNotLogging());
    EXPECT_TRUE(messageBox.shown.empty());
    const std::string log = logText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
    EXPECT_NE(log.find("(1700000000.000000) board 2A8#01\n"), std::string::npos) << log;
}

TEST_F(frmMainLoggingTest, ACancelledChoiceStartsNothingAndExitWritesTheRestOfARunningLog)
{
    chooser.savePath.clear();
    action("mnuFileStartLogging")->trigger();
    EXPECT_EQ(chooser.asked.size(), 1);
    EXPECT_TRUE(showsNotLogging());
    EXPECT_FALSE(window.controller().isLogging());

    chooser.savePath = folder.filePath(QStringLiteral("exit.log"));
    action("mnuFileStartLogging")->trigger();
    window.session().ingest("<680,1,>");
    action("MnuFileExit")->trigger();
    EXPECT_EQ(logText(), "(1700000000.000000) board 2A8#01\n");
    EXPECT_TRUE(messageBox.shown.empty());
}

// A full device (made in the test's folder, never the machine's own) opens like any file and refuses
// every write with "No space left on device".
TEST_F(frmMainLoggingTest, ALogThatCannotBeWrittenIsShownOnceAndTheTableKeepsFilling)
{
    chooser.savePath = folder.filePath(QStringLiteral("missing/drive.log"));
    action("mnuFileStartLogging")->trigger();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Start Logging"));
    EXPECT_TRUE(showsNotLogging());

    chooser.savePath = folder.filePath(QStringLiteral("full"));
    if (::mknod(QFile::encodeName(chooser.savePath).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "this machine does not allow making devices";
    action("mnuFileStartLogging")->trigger();
    EXPECT_TRUE(action("mnuFileStopLogging")->isEnabled());
    action("MnuFileToggleEmulation")->trigger();
    emit window.controller().emulationTimer().tick();
    tickFlushTimer();

    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_TRUE(messageBox.shown[1].text.contains(QStringLiteral("No space left on device")))
        << messageBox.shown[1].text.toStdString();
    EXPECT_TRUE(showsNotLogging());
    const int rows = window.session().table().rowCount();
    emit window.controller().emulationTimer().tick();
    window.session().ingest("<700,1,>");
    tickFlushTimer();
    EXPECT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(window.controller().framesIngested(), 3u);
    EXPECT_GT(window.session().table().rowCount(), rows);
}

} // namespace
