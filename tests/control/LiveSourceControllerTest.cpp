#include "capture/CaptureTestSupport.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "platform/Eventually.h"
#include "platform/QtSerialPort.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/PseudoTerminal.h"
#include "sources/CaptureSource.h"
#include "sources/ScriptedSlcanAdapter.h"
#include "sources/VirtualCanTestBus.h"

#include <QCanBusFrame>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using vexmoor::CaptureController;
using vexmoor::SourceAddress;
using vexmoor::test::eventually;
using vexmoor::test::PseudoTerminal;
using vexmoor::test::ScriptedSlcanAdapter;

SourceAddress slcanOn(const QString& device)
{
    return SourceAddress::slcan(device.toStdString());
}

// The controller over a real serial port, as the window and the headless capture build it.
class CaptureSourceControllerTest : public testing::Test {
protected:
    QObject owner;
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::QtSerialPort port;
    vexmoor::test::FixedClock clock;
    CaptureController* controller = new CaptureController(port, clock, CaptureController::Upkeep::Run, &owner);
    vexmoor::CaptureMessageBoxes messages { *controller, messageBox };
    QSignalSpy lost { controller, &CaptureController::sourceLost };
};

TEST_F(CaptureSourceControllerTest, AnSlcanAdapterIsTheSourceUntilDisconnectLeavesItClosed)
{
    PseudoTerminal line;
    ScriptedSlcanAdapter adapter(line, &ScriptedSlcanAdapter::willingAdapter);
    ASSERT_TRUE(controller->connectTo(slcanOn(line.devicePath()))) << messageBox.shown.size();
    EXPECT_EQ(controller->activeSourceDescription(), QStringLiteral("slcan on %1 at 500k").arg(line.devicePath()));

    line.write("t6802AABB\r");
    ASSERT_TRUE(eventually([&] { return controller->session().table().rowCount() == 1; }));

    QSignalSpy closed(controller, &CaptureController::sourceClosed);
    controller->closeSource();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(controller->activeSourceDescription().isEmpty());
    // The adapter is left closed, as it was found.
    ASSERT_TRUE(eventually([&] { return adapter.commands().size() == 5; }));
    EXPECT_EQ(adapter.commands().back(), "C");
    EXPECT_EQ(lost.count(), 0);
}

TEST_F(CaptureSourceControllerTest, ARefusedAdapterIsShownAndTheSourceBeforeItStays)
{
    PseudoTerminal working;
    ScriptedSlcanAdapter willing(working, &ScriptedSlcanAdapter::willingAdapter);
    ASSERT_TRUE(controller->connectTo(slcanOn(working.devicePath())));
    const QString before = controller->activeSourceDescription();

    PseudoTerminal refusing;
    ScriptedSlcanAdapter adapter(refusing, [](std::string_view command) -> std::string {
        return command.starts_with('S') ? "\a" : ScriptedSlcanAdapter::willingAdapter(command);
    });
    EXPECT_FALSE(controller->connectTo(slcanOn(refusing.devicePath())));

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown.at(0).title, QStringLiteral("Connect to CAN Interface"));
    EXPECT_TRUE(messageBox.shown.at(0).text.contains(QStringLiteral("refused the bit rate")));
    EXPECT_EQ(controller->activeSourceDescription(), before);
    ASSERT_NE(controller->source(), nullptr);
    EXPECT_TRUE(controller->source()->isOpen());
}

TEST_F(CaptureSourceControllerTest, APulledAdapterSaysWhyKeepsTheTableAndTheNextConnectWorks)
{
    auto line = std::make_unique<PseudoTerminal>();
    auto adapter = std::make_unique<ScriptedSlcanAdapter>(*line, &ScriptedSlcanAdapter::willingAdapter);
    ASSERT_TRUE(controller->connectTo(slcanOn(line->devicePath())));
    line->write("t6802AABB\r");
    ASSERT_TRUE(eventually([&] { return controller->session().table().rowCount() == 1; }));

    adapter->stop();
    line->hangUp();

    ASSERT_TRUE(eventually([&] { return lost.count() == 1; }));
    // The same words as for a pulled board, whatever the port's last error text was.
    EXPECT_EQ(lost.at(0).at(0).toString(),
              QStringLiteral("%1 went away (the device was removed)").arg(line->devicePath()));
    EXPECT_FALSE(controller->hasSource());
    EXPECT_EQ(controller->session().table().rowCount(), 1);

    PseudoTerminal next;
    ScriptedSlcanAdapter nextAdapter(next, &ScriptedSlcanAdapter::willingAdapter);
    EXPECT_TRUE(controller->connectTo(slcanOn(next.devicePath())));
    EXPECT_TRUE(controller->hasSource());
}

TEST_F(CaptureSourceControllerTest, APulledBoardIsReportedByThePollAndTheTableStays)
{
    auto line = std::make_unique<PseudoTerminal>();
    controller->connection().setPortText(line->devicePath());
    ASSERT_TRUE(controller->connectToCom());

    line->write("<680,1,16,>\r\n");
    ASSERT_TRUE(eventually([&] { return controller->session().table().rowCount() == 1; }));
    line->hangUp();

    ASSERT_TRUE(eventually([&] { return lost.count() == 1; }));
    EXPECT_EQ(lost.at(0).at(0).toString(),
              QStringLiteral("%1 went away (the device was removed)").arg(line->devicePath()));
    EXPECT_FALSE(controller->pollTimer().isEnabled());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(controller->session().table().rowCount(), 1);
}

TEST_F(CaptureSourceControllerTest, AQtSerialBusInterfaceIsConnectedByItsAddressAndItsServerGoingIsADisconnect)
{
    vexmoor::test::VirtualCanTestBus bus;
    ASSERT_TRUE(bus.isListening());
    const auto address = SourceAddress::parse("virtualcan:" + bus.url().toStdString()).address;
    ASSERT_TRUE(address.has_value());
    ASSERT_TRUE(controller->connectTo(*address)) << messageBox.shown.size();
    EXPECT_EQ(controller->activeSourceDescription(), QStringLiteral("CAN interface virtualcan:%1").arg(bus.url()));
    ASSERT_TRUE(eventually([&] { return bus.hasListener(); }));

    bus.send(QCanBusFrame(0x18DAF110, QByteArray::fromHex("0102")));
    ASSERT_TRUE(eventually([&] { return controller->session().table().rowCount() == 1; }));

    bus.shutDown();
    ASSERT_TRUE(eventually([&] { return lost.count() == 1; }));
    EXPECT_EQ(lost.at(0).at(0).toString(), QStringLiteral("the virtual CAN server closed the connection"));
    EXPECT_EQ(controller->source(), nullptr);
    EXPECT_EQ(controller->session().table().rowCount(), 1);
}

} // namespace
