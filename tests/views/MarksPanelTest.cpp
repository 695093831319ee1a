#include "views/MarksPanel.h"

#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "capture/record/CaptureSession.h"
#include "platform/AnsweringFileChooser.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/CandidatesModel.h"
#include "views/CandidatesPanel.h"
#include "views/MarksModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using vexmoor::MarksFile;
using vexmoor::MarksModel;
using vexmoor::test::eventually;

constexpr std::int64_t kStartUs = 1'742'339'030'250'000;

class MarksPanelTest : public testing::Test {
protected:
    MarksPanelTest()
    {
        window.setFileChooser(chooser);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        panel->show();
    }

    void takeMarks(std::initializer_list<std::int64_t> afterUs)
    {
        for (const std::int64_t after : afterUs)
            ranking().addMark(kStartUs + after);
        panel->refresh();
    }
    vexmoor::BitRanking& ranking() { return window.session().ranking(); }
    QAbstractItemModel& model() { return *table->model(); }
    QString cell(int row, int column) { return model().index(row, column).data().toString(); }
    void click(const char* button)
    {
        QTest::mouseClick(panel->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    QString writeFile(const char* name, const QByteArray& text)
    {
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::test::AnsweringFileChooser chooser;
    QTemporaryDir folder;
    vexmoor::frmMain window { messageBox, port, clock };
    vexmoor::MarksPanel* panel = window.findChild<vexmoor::MarksPanel*>(QStringLiteral("dockMarks"));
    QTableView* table = window.findChild<QTableView*>(QStringLiteral("tblMarks"));
};

TEST_F(MarksPanelTest, RowsAreNumberedInTheOrderTakenAndShowTheTimeOfDayWithTheEpochSecondsOnHover)
{
    QAbstractItemModelTester tester(&model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    takeMarks({ 2'000'000, 0 });

    ASSERT_EQ(model().rowCount(), 2);
    EXPECT_EQ(model().headerData(MarksModel::Number, Qt::Horizontal).toString(), QStringLiteral("#"));
    EXPECT_EQ(cell(0, MarksModel::Number), QStringLiteral("1"));
    EXPECT_EQ(cell(1, MarksModel::Number), QStringLiteral("2"));
    const QDateTime first = QDateTime::fromMSecsSinceEpoch((kStartUs + 2'000'000) / 1000);
    EXPECT_EQ(cell(0, MarksModel::Time), first.toLocalTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    EXPECT_EQ(model().index(1, MarksModel::Time).data(Qt::ToolTipRole).toString(), QStringLiteral("1742339030.250000"));
    EXPECT_EQ(MarksModel::epochSeconds(-1), QStringLiteral("-1.999999")) << "before 1970 the digits stay in order";
}

// The note is written where it shows; a deleted mark leaves the ranking and the rest renumber.
TEST_F(MarksPanelTest, TheNoteIsEditedInPlaceAndDeleteRemovesTheSelectedMark)
{
    takeMarks({ 0, 1'000'000, 2'000'000 });

    const QModelIndex note = model().index(1, MarksModel::Note);
    table->edit(note);
    auto* editor = table->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("heater on"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on the next turn of the event loop.
    EXPECT_TRUE(eventually([&] { return ranking().marks()[1].note == "heater on"; }));
    EXPECT_EQ(cell(1, MarksModel::Note), QStringLiteral("heater on"));
    EXPECT_FALSE(model().flags(model().index(1, MarksModel::Time)).testFlag(Qt::ItemIsEditable));

    table->selectRow(0);
    click("btnMarksDelete");
    ASSERT_EQ(ranking().marks().size(), 2u);
    EXPECT_EQ(ranking().marks()[0].note, "heater on");
    ASSERT_EQ(model().rowCount(), 2);
    EXPECT_EQ(cell(0, MarksModel::Number), QStringLiteral("1"));
    EXPECT_EQ(cell(0, MarksModel::Note), QStringLiteral("heater on"));
}

TEST_F(MarksPanelTest, SavedMarksLoadBackInPlaceOfTheMarksTaken)
{
    takeMarks({ 0, 1'500'000 });
    ranking().setNote(1, "horn");
    chooser.savePath = folder.filePath(QStringLiteral("drive.marks"));
    click("btnMarksSave");
    const std::vector<vexmoor::Mark> saved = ranking().marks();

    takeMarks({ 9'000'000 });
    chooser.openPath = chooser.savePath;
    click("btnMarksLoad");

    EXPECT_EQ(ranking().marks(), saved);
    EXPECT_EQ(model().rowCount(), 2);
    EXPECT_EQ(cell(1, MarksModel::Note), QStringLiteral("horn"));
    EXPECT_EQ(chooser.asked, (QStringList { QStringLiteral("Save Marks"), QStringLiteral("Load Marks") }));
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(MarksPanelTest, AFileWithALineThatIsNoMarkIsNamedInAMessageAndChangesNothing)
{
    takeMarks({ 0 });
    const std::vector<vexmoor::Mark> before = ranking().marks();
    chooser.openPath = writeFile("bad.marks", "1742339030.250000\nsoon # lights\n");

    click("btnMarksLoad");

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("line 2"))) << messageBox.shown[0].text.toStdString();
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Load Marks"));
    EXPECT_EQ(ranking().marks(), before);

    chooser.savePath = folder.filePath(QStringLiteral("no-such-folder/drive.marks"));
    click("btnMarksSave");
    EXPECT_EQ(messageBox.shown.size(), 2u) << "a file that cannot be written is said";
}

TEST_F(MarksPanelTest, MoreMarksThanTheRankingTakesLoadUpToItsLimitAndSaySo)
{
    QByteArray text;
    for (int index = 0; index < 70; ++index)
        text += QByteArray::number(1'742'339'030 + index) + ".000000\n";
    chooser.openPath = writeFile("many.marks", text);

    click("btnMarksLoad");

    EXPECT_EQ(ranking().marks().size(), vexmoor::BitRanking::kMaxMarks);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, QStringLiteral("Only the first 64 of the file's 70 marks were loaded."));
}

// "Clear All Data in the List" clears the ranking; every view of it follows.
TEST_F(MarksPanelTest, ClearAllEmptiesTheMarksAndTheCandidates)
{
    window.session().ingestFrame(vexmoor::test::makeFrame(0x3E9, { 0 }, { .timestampUs = kStartUs }), "can0");
    window.session().ingestFrame(vexmoor::test::makeFrame(0x3E9, { 1 }, { .timestampUs = kStartUs + 100'000 }), "can0");
    takeMarks({ 0, 200'000 });
    auto* candidates = window.findChild<vexmoor::CandidatesPanel*>(QStringLiteral("dockCandidates"));
    candidates->show();
    ASSERT_GT(candidates->model().rowCount(), 0);

    window.findChild<QAction*>(QStringLiteral("MnuToolsClear"))->trigger();

    EXPECT_TRUE(eventually([&] { return model().rowCount() == 0; }));
    EXPECT_TRUE(eventually([&] { return candidates->model().rowCount() == 0; }));
}

} // namespace
