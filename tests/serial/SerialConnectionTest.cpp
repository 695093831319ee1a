#include "serial/SerialConnection.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "platform/Eventually.h"
#include "platform/QtSerialPort.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"
#include "serial/PseudoTerminal.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using vexmoor::CaptureController;
using vexmoor::CaptureSession;
using vexmoor::MessageColumn;
using vexmoor::SerialConnection;
using vexmoor::Timer;
using vexmoor::UserMessageBox;
using vexmoor::test::FakeSerialPort;
using vexmoor::test::PseudoTerminal;
using vexmoor::test::RecordingMessageBox;

class SerialConnectionTest : public testing::Test {
protected:
    // Polls, as ticks of the poll timer would, until the polls have taken every byte of a piece the
    // board wrote: the terminal may hand one piece over in several reads. The timer itself stays
    // enabled but ticks no more, so that no read happens unseen.
    void pollUntilTaken(std::string_view piece)
    {
        pollTimer.setInterval(0);
        std::string taken;
        ASSERT_TRUE(vexmoor::test::eventually([&] {
            session.state().SerialInput.clear();
            controller.pollNow();
            taken += session.state().SerialInput;
            return taken.size() >= piece.size();
        })) << "taken so far: "
            << taken;
        ASSERT_EQ(taken, piece);
    }

    vexmoor::test::FixedClock clock;
    vexmoor::QtSerialPort port;
    RecordingMessageBox messageBox;
    CaptureController controller { port, clock };
    vexmoor::CaptureMessageBoxes messages { controller, messageBox };
    CaptureSession& session = controller.session();
    SerialConnection& connection = controller.connection();
    Timer& pollTimer = controller.pollTimer();
};

TEST_F(SerialConnectionTest, ReadsRecordsFromARealTerminalWhereverThePollsCutThem)
{
    PseudoTerminal terminal;
    connection.setPortText(terminal.devicePath());
    ASSERT_TRUE(controller.connectToCom());
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_TRUE(pollTimer.isEnabled());
    EXPECT_EQ(connection.settingsText(), QStringLiteral("38400,N,8,1"));

    for (const char* piece :
         { "CAN BUS Shield init ok!\r\n<680,1,", "16,0,>\r\n<6", "81,2", ",>\r\n<682,\r\n3,>\r\n" }) {
        terminal.write(piece);
        ASSERT_NO_FATAL_FAILURE(pollUntilTaken(piece));
    }

    const auto& table = session.table();
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(1, MessageColumn::Message), "<680,1,16,0,>");
    EXPECT_EQ(table.cell(2, MessageColumn::Message), "<681,2,>");
    EXPECT_EQ(table.cell(3, MessageColumn::Message), "<682,\r\n3,>");
}

TEST_F(SerialConnectionTest, ASecondConnectLeavesTheOpenConnectionRunning)
{
    PseudoTerminal terminal;
    connection.setPortText(terminal.devicePath());
    ASSERT_TRUE(controller.connectToCom());

    connection.setPortText(QStringLiteral("1"));
    EXPECT_FALSE(controller.connectToCom());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Invalid Port"));
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("already open")));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(pollTimer.isEnabled());

    terminal.write("<680,1,>\r\n");
    ASSERT_NO_FATAL_FAILURE(pollUntilTaken("<680,1,>\r\n"));
    EXPECT_EQ(session.table().rowCount(), 1);
}

struct RefusedPortCase {
    std::string name;
    QString portText;
    QString description;
};

void PrintTo(const RefusedPortCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class RefusedPortTest : public SerialConnectionTest, public testing::WithParamInterface<RefusedPortCase> { };

TEST_P(RefusedPortTest, ShowsOneInvalidPortBoxAndStartsNothing)
{
    session.ingest("<680,1,>");
    connection.setPortText(GetParam().portText);

    EXPECT_FALSE(controller.connectToCom());

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Invalid Port"));
    EXPECT_EQ(messageBox.shown[0].icon, UserMessageBox::Icon::Error);
    EXPECT_TRUE(messageBox.shown[0].text.contains(GetParam().description)) << messageBox.shown[0].text.toStdString();
    EXPECT_FALSE(pollTimer.isEnabled());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(session.table().cell(1, MessageColumn::MsgCount), "1");
}

INSTANTIATE_TEST_SUITE_P(
    PortTexts, RefusedPortTest,
    testing::Values(
        RefusedPortCase { "Letters", QStringLiteral("abc"), QStringLiteral("'abc' is not a number") },
        RefusedPortCase { "Empty", QString(), QStringLiteral("'' is not a number") },
        RefusedPortCase { "AboveSixteenBits", QStringLiteral("40000"), QStringLiteral("out of range") },
        RefusedPortCase { "NoSuchPort", QStringLiteral("32000"), QStringLiteral("There is no serial port 32000") },
        RefusedPortCase { "NoSuchDevice", QStringLiteral("/dev/vexmoor-none"), QStringLiteral("/dev/vexmoor-none") }),
    [](const auto& testCase) { return testCase.param.name; });

TEST(SerialConnectionSettingsTest, UsesPortFourUntilSetAndRoundsHalvesToEven)
{
    FakeSerialPort port;
    RecordingMessageBox messageBox;
    vexmoor::test::FixedClock clock;
    CaptureController controller(port, clock);
    const vexmoor::CaptureMessageBoxes messages(controller, messageBox);

    ASSERT_TRUE(controller.connectToCom());
    EXPECT_EQ(port.portNumber, 4);
    EXPECT_EQ(port.settings, QStringLiteral("38400,N,8,1"));
    EXPECT_TRUE(controller.pollTimer().isEnabled());

    for (const auto& [text, number] : { std::pair { "6", 6 }, std::pair { "6.5", 6 }, std::pair { "7.5", 8 } }) {
        FakeSerialPort freshPort;
        SerialConnection again(freshPort);
        again.setPortText(QString::fromLatin1(text));
        ASSERT_TRUE(again.connectToCom());
        EXPECT_EQ(freshPort.portNumber, number) << text;
    }
    EXPECT_TRUE(messageBox.shown.empty());
}

struct RefusedStepCase {
    std::string name;
    QString FakeSerialPort::*refusal;
    int openAttempts;
};

void PrintTo(const RefusedStepCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class RefusedStepTest : public testing::TestWithParam<RefusedStepCase> { };

TEST_P(RefusedStepTest, KeepsTheStepsBeforeItAndLeavesThePollStopped)
{
    FakeSerialPort port;
    RecordingMessageBox messageBox;
    vexmoor::test::FixedClock clock;
    CaptureController controller(port, clock);
    const vexmoor::CaptureMessageBoxes messages(controller, messageBox);
    port.*GetParam().refusal = QStringLiteral("The port said no.");
    controller.connection().setPortText(QStringLiteral("6"));

    EXPECT_FALSE(controller.connectToCom());

    EXPECT_EQ(port.portNumber, 6);
    EXPECT_EQ(port.settings, QStringLiteral("38400,N,8,1"));
    EXPECT_EQ(port.openAttempts, GetParam().openAttempts);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(controller.pollTimer().isEnabled());
    EXPECT_TRUE(controller.purgeTimer().isEnabled());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, QStringLiteral("The port said no."));
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Invalid Port"));
    EXPECT_EQ(messageBox.shown[0].icon, UserMessageBox::Icon::Error);
}

INSTANTIATE_TEST_SUITE_P(Steps, RefusedStepTest,
                         testing::Values(RefusedStepCase { "Settings", &FakeSerialPort::refuseSettings, 0 },
                                         RefusedStepCase { "Open", &FakeSerialPort::refuseOpen, 1 }),
                         [](const auto& testCase) { return testCase.param.name; });

} // namespace
