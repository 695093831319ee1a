#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "control/CaptureController.h"
#include "emulation/ClockSeededRandom.h"
#include "emulation/ConstantRandom.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

using vexmoor::frmMain;
using vexmoor::MessageColumn;
using vexmoor::Timer;

class EmulationTest : public testing::Test {
protected:
    void SetUp() override { window.controller().setRandomSource(random); }

    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    Timer* timer(const char* name) { return window.findChild<Timer*>(QString::fromLatin1(name)); }

    QWidget* emulatorWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("frmEmulator") && widget->isVisible())
                return widget;
        }
        return nullptr;
    }

    template <typename Control> Control* control(const char* name)
    {
        return emulatorWindow()->findChild<Control*>(QString::fromLatin1(name));
    }

    std::string messageOf(const char* canId)
    {
        const auto& table = window.session().table();
        for (int position = 1; position <= table.rowCount(); ++position) {
            if (table.canId(position) == canId)
                return table.cell(position, MessageColumn::Message);
        }
        return {};
    }

    // The next copy tick and the ingestion tick after it.
    void letTheEmulatorRun()
    {
        emit control<Timer>("Timer1")->tick();
        emit timer("tmrInteriourEmulator")->tick();
    }

    vexmoor::ClockSeededRandom random { 99 };
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    frmMain window { messageBox, port, clock };
};

TEST_F(EmulationTest, GeneratorsFillTheRowsOfTheirIdentifiersAndTheToggleMirrorsTimer1)
{
    for (int click = 0; click < 300; ++click) {
        action("MnuEmulatorSendSample")->trigger();
        action("MnuSendUnimplemented")->trigger();
        emit timer("Timer1")->tick();
    }
    std::set<std::string> ids;
    const auto& table = window.session().table();
    for (int position = 1; position <= table.rowCount(); ++position)
        ids.insert(table.canId(position));
    std::set<std::string> expected { "600" };
    for (int id = 600; id <= 620; ++id)
        expected.insert(QString::number(id, 16).toUpper().toStdString());
    for (int id = 1500; id <= 1520; ++id)
        expected.insert(QString::number(id, 16).toUpper().toStdString());
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(messageOf("600").substr(0, 6), "<1536,");
    EXPECT_EQ(messageOf("600").substr(messageOf("600").size() - 13), ",0,0,0,0,0,0>");

    QAction* toggle = action("MnuFileToggleEmulation");
    toggle->trigger();
    EXPECT_TRUE(timer("Timer1")->isEnabled());
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(timer("Timer1")->isEnabled());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(toggle->text(), QStringLiteral("&Turn Emulation On"));
}

struct GeneratorEntryCase {
    const char* name;
    // A menu entry, or nothing for a tick of the emulation timer Timer1.
    const char* menuEntry;
    const char* lowestCanId;
    const char* lowest;
    const char* highestCanId;
    const char* highest;
};

void PrintTo(const GeneratorEntryCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class GeneratorEntryTest : public EmulationTest, public testing::WithParamInterface<GeneratorEntryCase> {
protected:
    void generate(double draw)
    {
        vexmoor::test::ConstantRandom constant(draw);
        window.controller().setRandomSource(constant);
        if (GetParam().menuEntry != nullptr)
            action(GetParam().menuEntry)->trigger();
        else
            emit timer("Timer1")->tick();
        window.controller().setRandomSource(random);
    }
};

TEST_P(GeneratorEntryTest, MakesRecordsWithinItsOwnBounds)
{
    generate(0.0);
    EXPECT_EQ(messageOf(GetParam().lowestCanId), GetParam().lowest);
    generate(std::nextafter(1.0, 0.0));
    EXPECT_EQ(messageOf(GetParam().highestCanId), GetParam().highest);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, GeneratorEntryTest,
    testing::Values(GeneratorEntryCase { "SendRandomSampleMessage", "MnuEmulatorSendSample", "258",
                                         "<600,1,155,158,165,111,112,12,123>", "26C",
                                         "<620,2,199,255,189,155,155,155,155>" },
                    GeneratorEntryCase { "EmulationTick", nullptr, "5DC", "<1500,1,44,1,1,1,1,1,1>", "5F0",
                                         "<1520,2,255,155,155,155,155,155,155>" },
                    GeneratorEntryCase { "SendUnimplemented", "MnuSendUnimplemented", "600", "<1536,1,155,0,0,0,0,0,0>",
                                         "600", "<1536,2,199,0,0,0,0,0,0>" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(EmulationTest, OpeningStartsTheEmulatorAndItsRecordsFillRowsInSlotOrder)
{
    action("mnuEmuInteriour")->trigger();
    ASSERT_NE(emulatorWindow(), nullptr);
    EXPECT_TRUE(timer("tmrInteriourEmulator")->isEnabled());
    EXPECT_EQ(control<QPushButton>("Command3")->text(), QStringLiteral("STOP Interiour Emulator"));
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("ESP ON"));
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("Locker OFF"));
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());

    letTheEmulatorRun();
    letTheEmulatorRun();
    std::vector<std::vector<std::string>> rows;
    const auto& table = window.session().table();
    for (int position = 1; position <= table.rowCount(); ++position)
        rows.push_back({ table.canId(position), table.cell(position, MessageColumn::Message),
                         table.cell(position, MessageColumn::MsgCount) });
    EXPECT_EQ(rows,
              (std::vector<std::vector<std::string>> {
                  { "370", "<880,1,0,0,>", "2" }, { "371", "<881,2,0,0,>", "2" }, { "372", "<882,0,0,0,>", "2" } }));
}

TEST_F(EmulationTest, TheInteriorSwitchesReachTheTableThroughTheSlots)
{
    action("mnuEmuInteriour")->trigger();
    ASSERT_NE(emulatorWindow(), nullptr);
    EXPECT_TRUE(timer("tmrInteriourEmulator")->isEnabled());

    // Before the first copy the slots are empty, and empty records change nothing.
    emit timer("tmrInteriourEmulator")->tick();
    EXPECT_EQ(window.session().table().rowCount(), 0);

    letTheEmulatorRun();
    EXPECT_EQ(messageOf("370"), "<880,1,0,0,>");
    EXPECT_EQ(messageOf("371"), "<881,2,0,0,>");
    EXPECT_EQ(messageOf("372"), "<882,0,0,0,>");

    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    letTheEmulatorRun();
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("ESP OFF"));
    EXPECT_EQ(messageOf("370"), "<880,1,0,0,>");
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>("Check1"), Qt::LeftButton);
    letTheEmulatorRun();
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("ESP ON"));
    EXPECT_EQ(messageOf("370"), "<880,1,0,1,>");
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("Locker ON"));
    EXPECT_EQ(messageOf("371"), "<881,2,0,1,>");
    EXPECT_EQ(messageOf("372"), "<882,0,0,1,>");
    QTest::mouseClick(control<QCheckBox>("Check1"), Qt::LeftButton);
    letTheEmulatorRun();
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(messageOf("372"), "<882,0,0,0,>");

    // Stopped, the switches still reach the slots but nothing is ingested.
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    EXPECT_FALSE(timer("tmrInteriourEmulator")->isEnabled());
    EXPECT_EQ(control<QPushButton>("Command3")->text(), QStringLiteral("Start Interiour Emulator"));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    emit control<Timer>("Timer1")->tick();
    EXPECT_EQ(messageOf("371"), "<881,2,0,1,>");
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    emit timer("tmrInteriourEmulator")->tick();
    EXPECT_EQ(messageOf("371"), "<881,2,0,0,>");
}

TEST_F(EmulationTest, ClosingStopsTheEmulatorAndReopeningStartsItWithTheLastSlots)
{
    action("mnuEmuInteriour")->trigger();
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    emit control<Timer>("Timer1")->tick();
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    action("mnuEmuInteriour")->trigger();
    EXPECT_FALSE(timer("tmrInteriourEmulator")->isEnabled());
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("Locker ON"));

    QPointer<QWidget> first = emulatorWindow();
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_FALSE(timer("tmrInteriourEmulator")->isEnabled());
    EXPECT_TRUE(vexmoor::test::eventually([&] { return first.isNull(); }));

    action("mnuEmuInteriour")->trigger();
    EXPECT_TRUE(timer("tmrInteriourEmulator")->isEnabled());
    EXPECT_EQ(control<QLabel>("Label3")->text(), QStringLiteral("Locker OFF"));
    emit timer("tmrInteriourEmulator")->tick();
    EXPECT_EQ(messageOf("371"), "<881,2,0,1,>");
}

TEST_F(EmulationTest, AClosedWindowStopsCopyingBeforeItIsDeleted)
{
    // Closed and opened again before the event loop deletes the first window: only the new window's
    // switch states may reach the slots, or the rows would alternate between the two.
    action("mnuEmuInteriour")->trigger();
    QPointer<QWidget> first = emulatorWindow();
    QPointer<Timer> firstCopyTimer = control<Timer>("Timer1");
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    action("mnuEmuInteriour")->trigger();
    ASSERT_FALSE(first.isNull());
    ASSERT_NE(emulatorWindow(), first.data());
    EXPECT_FALSE(firstCopyTimer->isEnabled());
    EXPECT_TRUE(control<Timer>("Timer1")->isEnabled());
}

} // namespace
