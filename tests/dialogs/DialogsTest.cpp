#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using vexmoor::frmMain;
using vexmoor::MessageColumn;
using vexmoor::Timer;

QWidget* openWindow(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

template <typename Control> Control* control(QWidget* window, const char* name)
{
    auto* found = window->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget* window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Replaces a box's text as the user does: select everything, delete it, type.
void retype(QLineEdit* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

int windowsNamed(const char* name)
{
    const auto windows = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(windows.begin(), windows.end(), [name](QWidget* widget) {
        return widget->objectName() == QLatin1String(name);
    }));
}

class DialogsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid()) << temporary.errorString().toStdString();
        folder = temporary.path().toStdString();
        window.setNotesFolder(folder);
        window.show();
        session().txtMinID().setText("0");
    }

    vexmoor::CaptureSession& session() { return window.session(); }

    // A double click on the row at a position, as the user makes it.
    QWidget* doubleClickRow(int position)
    {
        window.tableModel().refresh();
        auto& view = window.tableView();
        const QRect cell = view.visualRect(window.tableModel().index(position - 1, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
        return openWindow("frmMsgName");
    }

    std::string notesFile(const std::string& name)
    {
        std::ifstream file(folder / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    // Unique to this run, so that runs side by side never share their notes files.
    QTemporaryDir temporary;
    std::filesystem::path folder;
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    frmMain window { messageBox, port, clock };
};

TEST_F(DialogsTest, NotesSaveAppendsTheMessageAndNameToTheMessagesFile)
{
    session().ingest("<882,0,0,1,>");
    QWidget* notes = doubleClickRow(1);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(control<QLabel>(notes, "Label2")->text(), QStringLiteral("<882,0,0,1,>"));
    EXPECT_EQ(control<QLabel>(notes, "Label4")->text(), QStringLiteral("372"));
    EXPECT_EQ(control<QLabel>(notes, "Label3")->text(), QStringLiteral("1"));
    EXPECT_EQ(session().state().NotesRowIndex, 1);

    QTest::keyClicks(control<QLineEdit>(notes, "Text1"), QStringLiteral("Head lights"));
    QPointer<QWidget> first = notes;
    click(notes, "Command1");
    EXPECT_TRUE(vexmoor::test::eventually([&] { return first.isNull(); }));
    notes = doubleClickRow(1);
    click(notes, "Command1");

    EXPECT_EQ(notesFile("882,0,0,1,.txt"), "<882,0,0,1,>~Head lights\r\n<882,0,0,1,>~\r\n");
    EXPECT_EQ(session().table().cell(1, MessageColumn::MessageName), "");
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(DialogsTest, NotesRefuseANameOutsideTheCodePageAndReportAFileThatCannotBeWritten)
{
    session().ingest("<680,1,>");
    QWidget* notes = doubleClickRow(1);
    control<QLineEdit>(notes, "Text1")->setText(QStringLiteral("Gear \u2192 D"));
    click(notes, "Command1");
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("U+2192")));
    EXPECT_NE(openWindow("frmMsgName"), nullptr);

    window.setNotesFolder(folder / "missing");
    std::filesystem::remove_all(folder);
    QPointer<QWidget> stays = doubleClickRow(1);
    control<QLineEdit>(notes, "Text1")->setText(QStringLiteral("Caf\u00e9"));
    click(stays, "Command1");
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_TRUE(messageBox.shown[1].text.contains(QStringLiteral("680,1,.txt")));
    EXPECT_FALSE(stays.isNull());
    EXPECT_EQ(control<QLineEdit>(stays, "Text1")->text(), QStringLiteral("Caf\u00e9"));

    click(stays, "Command5");
    EXPECT_EQ(session().table().cell(1, MessageColumn::MessageName), "Caf\xe9");
    EXPECT_FALSE(stays.isNull());
}

TEST_F(DialogsTest, NotesIgnoreTheIdOfTheShownPositionOrTheWholeMessage)
{
    for (int id = 300; id < 306; ++id)
        session().ingest("<" + std::to_string(id) + ",1,>");
    QWidget* notes = doubleClickRow(5);
    click(notes, "Command4");
    EXPECT_EQ(session().List2().entries(), (std::vector<std::string> { "130" }));
    EXPECT_EQ(session().table().rowCount(), 5);
    EXPECT_EQ(session().table().canId(5), "131");
    EXPECT_EQ(openWindow("frmMsgName"), nullptr);

    notes = doubleClickRow(2);
    click(notes, "Command3");
    EXPECT_EQ(session().List1().entries(), (std::vector<std::string> { "<301,1,>" }));
    EXPECT_EQ(session().table().rowCount(), 5);
}

TEST_F(DialogsTest, NotesIgnoreTheIdOfARowThatIsGoneListTheIdAndRemoveNoRow)
{
    for (int id = 300; id < 303; ++id)
        session().ingest("<" + std::to_string(id) + ",1,>");
    QPointer<QWidget> notes = doubleClickRow(3);
    ASSERT_FALSE(notes.isNull());
    EXPECT_EQ(control<QLabel>(notes, "Label3")->text(), QStringLiteral("3"));

    window.findChild<QAction*>(QStringLiteral("MnuToolsClear"))->trigger();
    session().ingest("<400,1,>");
    session().ingest("<401,1,>");
    click(notes, "Command4");

    EXPECT_EQ(session().List2().entries(), (std::vector<std::string> { "12E" }));
    EXPECT_EQ(session().table().rowCount(), 2);
    EXPECT_EQ(session().table().canId(1), "190");
    EXPECT_EQ(session().table().canId(2), "191");
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_TRUE(vexmoor::test::eventually([&] { return notes.isNull(); }));
}

TEST_F(DialogsTest, NotesLogCollectsTheDistinctRecordsOfTheShownRowAcrossReopening)
{
    session().ingest("<680,1,16,0,0,0,0,0,0,>");
    session().ingest("<700,1,>");
    QWidget* notes = doubleClickRow(1);
    auto* log = control<QPlainTextEdit>(notes, "Text2");
    for (const char* record :
         { "<680,1,16,0,0,0,0,0,0,>", "<680,1,16,0,0,0,0,0,0,>", "<700,2,>", "<680,1,17,0,0,0,0,0,0,>" })
        session().ingest(record);
    EXPECT_EQ(log->toPlainText(), QStringLiteral("<680,1,16,0,0,0,0,0,0,>\n<680,1,17,0,0,0,0,0,0,>\n"));

    QTest::keyClicks(control<QLineEdit>(notes, "Text1"), QStringLiteral("Locker"));
    EXPECT_EQ(doubleClickRow(2), notes);
    EXPECT_EQ(control<QLineEdit>(notes, "Text1")->text(), QStringLiteral("Locker"));
    EXPECT_EQ(control<QLabel>(notes, "Label3")->text(), QStringLiteral("2"));
    session().ingest("<700,3,>");
    EXPECT_TRUE(log->toPlainText().endsWith(QStringLiteral("<680,1,17,0,0,0,0,0,0,>\n<700,3,>\n")));
}

TEST_F(DialogsTest, NotesOnAnEmptyTableShowTheirLoadCaptionsAndSaveNameReportsTheMissingRow)
{
    window.openMessageNotes();
    QWidget* notes = openWindow("frmMsgName");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(control<QLabel>(notes, "Label2")->text(), QStringLiteral("Label2"));
    EXPECT_EQ(control<QLabel>(notes, "Label4")->text(), QStringLiteral("Label4"));
    EXPECT_EQ(control<QLabel>(notes, "Label3")->text(), QStringLiteral("Line ID:"));
    EXPECT_EQ(session().state().NotesRowIndex, 0);

    click(notes, "Command5");
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("no longer in the table")));
}

TEST_F(DialogsTest, FindSelectsTheFirstWholeMatchWhateverTheCase)
{
    session().ingest("<416,1,>");
    session().ingest("<680,1,>");
    auto find = [this](const QString& text) {
        window.findChild<QAction*>(QStringLiteral("MnuToolsFind"))->trigger();
        QWidget* dialog = openWindow("frmFind");
        EXPECT_NE(dialog, nullptr);
        control<QLineEdit>(dialog, "Text1")->setText(text);
        click(dialog, "Command1");
    };

    for (const QString& miss : { QStringLiteral("2A"), QStringLiteral(" 2A8"), QStringLiteral("2A8 ") }) {
        find(miss);
        EXPECT_NE(openWindow("frmFind"), nullptr);
        EXPECT_EQ(window.tableView().selectedPosition(), 0);
    }
    find(QStringLiteral("2a8"));
    EXPECT_EQ(window.tableView().selectedPosition(), 2);
    EXPECT_TRUE(vexmoor::test::eventually([&] { return openWindow("frmFind") == nullptr; }));

    QTest::mouseClick(window.findChild<QLabel*>(QStringLiteral("lblAutofilter")), Qt::LeftButton);
    QWidget* reopened = openWindow("frmFind");
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(control<QLineEdit>(reopened, "Text1")->text(), QString());
}

TEST_F(DialogsTest, FindFromTheMenuAndThenFromTheStatusLineIsOneDialogBroughtForward)
{
    window.findChild<QAction*>(QStringLiteral("MnuToolsFind"))->trigger();
    QWidget* find = openWindow("frmFind");
    ASSERT_NE(find, nullptr);
    retype(control<QLineEdit>(find, "Text1"), QStringLiteral("2A8"));
    window.activateWindow();
    ASSERT_TRUE(vexmoor::test::eventually([&] { return QApplication::activeWindow() == &window; }));

    QTest::mouseClick(window.findChild<QLabel*>(QStringLiteral("lblAutofilter")), Qt::LeftButton);

    EXPECT_EQ(windowsNamed("frmFind"), 1);
    EXPECT_EQ(openWindow("frmFind"), find);
    EXPECT_EQ(control<QLineEdit>(find, "Text1")->text(), QStringLiteral("2A8"));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return QApplication::activeWindow() == find; }));
}

TEST_F(DialogsTest, OptionsShowTheLiveValuesAndApplyEachSetAtOnce)
{
    window.findChild<QAction*>(QStringLiteral("MnuToolsOptions"))->trigger();
    QWidget* options = openWindow("frmOptions");
    ASSERT_NE(options, nullptr);
    std::vector<QString> shown;
    for (const char* box : { "Text1", "Text2", "Text3", "Text4", "Text5" })
        shown.push_back(control<QLineEdit>(options, box)->text());
    EXPECT_EQ(shown,
              (std::vector<QString> { QStringLiteral("300"), QStringLiteral("5000"), QStringLiteral("10000"),
                                      QStringLiteral("1000"), QStringLiteral("0") }));

    auto set = [&](const char* box, const char* button, const QString& text) {
        control<QLineEdit>(options, box)->setText(text);
        click(options, button);
    };
    auto* poll = window.findChild<Timer*>(QStringLiteral("Timer2"));
    set("Text1", "Command1", QStringLiteral("250.5"));
    EXPECT_EQ(poll->interval(), 250);
    set("Text1", "Command1", QStringLiteral("251.5"));
    EXPECT_EQ(poll->interval(), 252);
    EXPECT_FALSE(poll->isEnabled());
    set("Text3", "Command3", QStringLiteral("0"));
    EXPECT_EQ(window.findChild<Timer*>(QStringLiteral("Timer4"))->interval(), 0);
    EXPECT_TRUE(messageBox.shown.empty());

    for (const QString& refused : { QStringLiteral("fast"), QStringLiteral("-1"), QStringLiteral("2147483648") }) {
        set("Text2", "Command2", refused);
        EXPECT_EQ(window.findChild<Timer*>(QStringLiteral("Timer3"))->interval(), 5000);
    }
    EXPECT_EQ(messageBox.shown.size(), 3u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("not a valid interval in milliseconds")));

    set("Text4", "Command5", QString());
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblAutofilter"))->text(),
              QStringLiteral("Auto Filter CAN-IDs on  counts"));
    set("Text5", "Command6", QStringLiteral(" 100 "));
    EXPECT_EQ(session().txtMinID().text(), " 100 ");
    EXPECT_NE(openWindow("frmOptions"), nullptr);
}

struct IntervalCase {
    const char* name;
    const char* box;
    const char* button;
    const char* timer;
};

void PrintTo(const IntervalCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class OptionsIntervalTest : public DialogsTest, public testing::WithParamInterface<IntervalCase> {
protected:
    std::map<std::string, std::pair<int, bool>> timers()
    {
        std::map<std::string, std::pair<int, bool>> states;
        for (const char* name : { "Timer2", "Timer3", "Timer4" }) {
            const auto* timer = window.findChild<Timer*>(QString::fromLatin1(name));
            states[name] = { timer->interval(), timer->isEnabled() };
        }
        return states;
    }
};

TEST_P(OptionsIntervalTest, SetGivesOnlyItsOwnTimerTheTypedIntervalAndRefusesAnythingElse)
{
    window.findChild<QAction*>(QStringLiteral("MnuToolsOptions"))->trigger();
    QWidget* options = openWindow("frmOptions");
    ASSERT_NE(options, nullptr);
    auto expected = timers();

    retype(control<QLineEdit>(options, GetParam().box), QStringLiteral("2500"));
    click(options, GetParam().button);
    expected[GetParam().timer].first = 2500;
    EXPECT_EQ(timers(), expected);
    EXPECT_TRUE(messageBox.shown.empty());

    retype(control<QLineEdit>(options, GetParam().box), QStringLiteral("soon"));
    click(options, GetParam().button);
    EXPECT_EQ(timers(), expected);
    EXPECT_EQ(messageBox.shown.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Frames, OptionsIntervalTest,
                         testing::Values(IntervalCase { "ComPortRead", "Text1", "Command1", "Timer2" },
                                         IntervalCase { "ScreenCleanup", "Text2", "Command2", "Timer3" },
                                         IntervalCase { "DataChangedReset", "Text3", "Command3", "Timer4" }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(DialogsTest, OptionsChosenAgainWhileOpenKeepWhatWasTypedAndApplyNothing)
{
    auto* menuEntry = window.findChild<QAction*>(QStringLiteral("MnuToolsOptions"));
    menuEntry->trigger();
    QWidget* options = openWindow("frmOptions");
    ASSERT_NE(options, nullptr);
    retype(control<QLineEdit>(options, "Text2"), QStringLiteral("777"));

    menuEntry->trigger();

    EXPECT_EQ(windowsNamed("frmOptions"), 1);
    EXPECT_EQ(openWindow("frmOptions"), options);
    EXPECT_EQ(control<QLineEdit>(options, "Text2")->text(), QStringLiteral("777"));
    EXPECT_EQ(window.findChild<Timer*>(QStringLiteral("Timer3"))->interval(), 5000);
}

TEST_F(DialogsTest, OptionsAutoFilterThresholdDecidesTheNextPurge)
{
    // Records that alternate between two texts: every one after the first is a change.
    auto changeTimes = [this](int id, int changes) {
        for (int record = 0; record < changes; ++record)
            session().ingest("<" + std::to_string(id) + "," + std::to_string(record % 2) + ",>");
    };
    changeTimes(300, 500);
    changeTimes(301, 501);
    ASSERT_EQ(session().table().cell(1, MessageColumn::ChangeCount), "500");
    ASSERT_EQ(session().table().cell(2, MessageColumn::ChangeCount), "501");
    auto* purge = window.findChild<Timer*>(QStringLiteral("Timer3"));
    emit purge->tick();
    ASSERT_EQ(session().table().rowCount(), 2);

    window.findChild<QAction*>(QStringLiteral("MnuToolsOptions"))->trigger();
    QWidget* options = openWindow("frmOptions");
    ASSERT_NE(options, nullptr);
    retype(control<QLineEdit>(options, "Text4"), QStringLiteral("500"));
    click(options, "Command5");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblAutofilter"))->text(),
              QStringLiteral("Auto Filter CAN-IDs on 500 counts"));
    emit purge->tick();

    EXPECT_EQ(session().table().rowCount(), 1);
    EXPECT_EQ(session().table().canId(1), "12C");
    EXPECT_EQ(session().List2().entries(), (std::vector<std::string> { "12D" }));
}

} // namespace

namespace {

TEST_F(DialogsTest, InformationWindowsOpenOnceEachBesideTheCapture)
{
    for (int opening = 0; opening < 2; ++opening) {
        window.findChild<QAction*>(QStringLiteral("About"))->trigger();
        window.findChild<QAction*>(QStringLiteral("MnuArduinoSketch"))->trigger();
    }
    int about = 0;
    int sketch = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        about += widget->objectName() == QStringLiteral("frmAbout") && widget->isVisible();
        sketch += widget->objectName() == QStringLiteral("frmSketch") && widget->isVisible();
    }
    EXPECT_EQ(about, 1);
    EXPECT_EQ(sketch, 1);
    session().ingest("<680,1,>");
    EXPECT_EQ(session().table().rowCount(), 1);
}

TEST_F(DialogsTest, ADoubleClickBesideTheRowsOpensTheNotesWithTheirFirstCaptions)
{
    auto& view = window.tableView();
    auto captions = [](QWidget* notes) {
        return control<QLabel>(notes, "Label2")->text() + QLatin1Char('|') + control<QLabel>(notes, "Label4")->text()
            + QLatin1Char('|') + control<QLabel>(notes, "Label3")->text();
    };

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QPointer<QWidget> notes = openWindow("frmMsgName");
    ASSERT_FALSE(notes.isNull()) << "empty table";
    EXPECT_EQ(captions(notes), QStringLiteral("Label2|Label4|Line ID:"));
    click(notes, "Command2");
    EXPECT_TRUE(vexmoor::test::eventually([&] { return notes.isNull(); }));

    session().ingest("<680,1,>");
    window.tableModel().refresh();
    const int belowLastRow = view.rowViewportPosition(0) + view.rowHeight(0) + 20;
    ASSERT_LT(belowLastRow, view.viewport()->height());
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, belowLastRow));
    notes = openWindow("frmMsgName");
    ASSERT_FALSE(notes.isNull()) << "below the last row";
    EXPECT_EQ(captions(notes), QStringLiteral("Label2|Label4|Line ID:"));
    EXPECT_EQ(session().state().NotesRowIndex, 0);
}

} // namespace
