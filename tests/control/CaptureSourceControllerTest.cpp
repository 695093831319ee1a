#include "capture/CaptureTestSupport.h"
#include "capture/formats/TableCsvWriter.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "platform/Eventually.h"
#include "platform/QtSerialPort.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/PseudoTerminal.h"
#include "sources/CaptureSource.h"
#include "sources/LogReplay.h"
#include "sources/ScriptedSlcanAdapter.h"
#include "sources/VirtualCanTestBus.h"

#include <QCanBusFrame>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
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

// What a kind of source needs around it: a device or file that opens, and an attempt that is refused.
struct SourceRig {
    virtual ~SourceRig() = default;
    virtual bool openWorking(CaptureController& controller) = 0;
    virtual bool openRefused(CaptureController& controller) = 0;
};

struct BoardRig final : SourceRig {
    PseudoTerminal line;
    bool openWorking(CaptureController& controller) override
    {
        controller.connection().setPortText(line.devicePath());
        return controller.connectToCom();
    }
    // The board's connect refuses the port it holds open.
    bool openRefused(CaptureController& controller) override { return controller.connectToCom(); }
};

struct SlcanRig final : SourceRig {
    PseudoTerminal line;
    ScriptedSlcanAdapter adapter { line, &ScriptedSlcanAdapter::willingAdapter };
    bool openWorking(CaptureController& controller) override
    {
        return controller.connectTo(slcanOn(line.devicePath()));
    }
    bool openRefused(CaptureController& controller) override
    {
        return controller.connectTo(slcanOn(QStringLiteral("/nonexistent/ttyACM9")));
    }
};

struct CanBusRig final : SourceRig {
    vexmoor::test::VirtualCanTestBus bus;
    bool openWorking(CaptureController& controller) override
    {
        return controller.connectTo(SourceAddress::canBus("virtualcan", bus.url().toStdString()));
    }
    bool openRefused(CaptureController& controller) override
    {
        return controller.connectTo(SourceAddress::canBus("nosuchplugin", "vcan9"));
    }
};

struct ReplayRig final : SourceRig {
    QTemporaryDir directory;
    bool openWorking(CaptureController& controller) override
    {
        const QString path = directory.filePath(QStringLiteral("drive.log"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("(1.000000) can0 300#01\n(9.000000) can0 301#01\n") < 0)
            return false;
        file.close();
        return controller.openLog(path, vexmoor::LogReplay::Mode::InTime);
    }
    bool openRefused(CaptureController& controller) override
    {
        return controller.openLog(directory.filePath(QStringLiteral("missing.log")), vexmoor::LogReplay::Mode::AtOnce);
    }
};

struct SourceKindCase {
    const char* name;
    vexmoor::CaptureSource::Kind kind;
    const char* refusalTitle;
    std::function<std::unique_ptr<SourceRig>()> makeRig;
};

void PrintTo(const SourceKindCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SourceKindTest : public CaptureSourceControllerTest, public testing::WithParamInterface<SourceKindCase> { };

// Every kind opens, is refused and closes the same way: a refusal is told in the box of its command
// and leaves the open source as it was; closing names what closed.
TEST_P(SourceKindTest, OpensIsRefusedWithoutLosingTheOpenOneAndCloses)
{
    const std::unique_ptr<SourceRig> rig = GetParam().makeRig();
    ASSERT_TRUE(rig->openWorking(*controller))
        << (messageBox.shown.empty() ? "" : messageBox.shown[0].text.toStdString());
    ASSERT_NE(controller->source(), nullptr);
    EXPECT_EQ(controller->source()->kind(), GetParam().kind);
    const QString description = controller->activeSourceDescription();
    EXPECT_FALSE(description.isEmpty());

    EXPECT_FALSE(rig->openRefused(*controller));
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QString::fromLatin1(GetParam().refusalTitle));
    EXPECT_FALSE(messageBox.shown[0].text.isEmpty());
    EXPECT_EQ(controller->activeSourceDescription(), description);
    ASSERT_NE(controller->source(), nullptr);
    EXPECT_TRUE(controller->source()->isOpen());

    QSignalSpy closed(controller, &CaptureController::sourceClosed);
    controller->closeSource();
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed[0][0].toString(), description);
    EXPECT_FALSE(controller->hasSource());
    EXPECT_EQ(lost.count(), 0);
}

using Kind = vexmoor::CaptureSource::Kind;
INSTANTIATE_TEST_SUITE_P(Kinds, SourceKindTest,
                         testing::Values(SourceKindCase { "Board", Kind::Board, "Invalid Port",
                                                          [] { return std::make_unique<BoardRig>(); } },
                                         SourceKindCase { "Slcan", Kind::Slcan, "Connect to CAN Interface",
                                                          [] { return std::make_unique<SlcanRig>(); } },
                                         SourceKindCase { "CanBus", Kind::CanBus, "Connect to CAN Interface",
                                                          [] { return std::make_unique<CanBusRig>(); } },
                                         SourceKindCase { "Replay", Kind::Replay, "Open Log",
                                                          [] { return std::make_unique<ReplayRig>(); } }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

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

// Two adapters on two buses at once: both feed their own rows; the one pulled is reported and the other
// goes on; the log of both replays into the same rows.
TEST_F(CaptureSourceControllerTest, TwoAdaptersFeedTheirOwnBusesAndOneGoingLeavesTheOtherRunning)
{
    QTemporaryDir folder;
    const QString logPath = folder.filePath(QStringLiteral("two.log"));
    controller->session().txtMinID().setText("0");
    controller->setRowsPerBus(true);
    PseudoTerminal body;
    ScriptedSlcanAdapter bodyAdapter(body, &ScriptedSlcanAdapter::willingAdapter);
    auto powertrain = std::make_unique<PseudoTerminal>();
    auto powertrainAdapter = std::make_unique<ScriptedSlcanAdapter>(*powertrain, &ScriptedSlcanAdapter::willingAdapter);
    ASSERT_TRUE(controller->connectTo(slcanOn(body.devicePath())));
    ASSERT_TRUE(controller->addSource(slcanOn(powertrain->devicePath())));
    EXPECT_EQ(controller->busNames(), (QStringList { QStringLiteral("slcan0"), QStringLiteral("slcan1") }));
    EXPECT_FALSE(controller->addSource(slcanOn(body.devicePath()))) << "a device opens once";
    ASSERT_TRUE(controller->startLogging(logPath));

    body.write("t1A0101\r");
    powertrain->write("t1A0102\rt1A0103\r");
    const auto& table = controller->session().table();
    ASSERT_TRUE(
        eventually([&] { return table.rowCount() == 2 && table.cell(2, vexmoor::MessageColumn::MsgCount) == "2"; }));

    QSignalSpy addedLost(controller, &CaptureController::addedSourceLost);
    powertrainAdapter->stop();
    powertrain->hangUp();
    ASSERT_TRUE(eventually([&] { return addedLost.count() == 1; }));
    EXPECT_EQ(addedLost.at(0).at(0).toString(), QStringLiteral("slcan1"));
    EXPECT_TRUE(controller->addedSources().empty());
    EXPECT_EQ(lost.count(), 0) << "the source open first goes on";
    body.write("t1A0104\r");
    ASSERT_TRUE(eventually([&] { return table.cell(1, vexmoor::MessageColumn::MsgCount) == "2"; }));
    controller->stopLogging();
    const std::string before = vexmoor::TableCsvWriter::toCsv(table);

    controller->closeAllSources();
    controller->clearData();
    ASSERT_TRUE(controller->openLog(logPath, vexmoor::LogReplay::Mode::AtOnce));
    ASSERT_TRUE(eventually([&] { return controller->replay() == nullptr; }));
    EXPECT_EQ(vexmoor::TableCsvWriter::toCsv(table), before);
    EXPECT_EQ(controller->session().busName(table.row(2).bus), "slcan1");
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
