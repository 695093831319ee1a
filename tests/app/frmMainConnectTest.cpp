#include "app/BusStatusParts.h"
#include "app/ConnectionControls.h"
#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "control/CaptureController.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "serial/PseudoTerminal.h"
#include "sources/ScriptedSlcanAdapter.h"

#include <QAction>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using vexmoor::ConnectionControls;
using vexmoor::SourceAddress;
using vexmoor::test::eventually;
using vexmoor::test::PseudoTerminal;
using vexmoor::test::ScriptedSlcanAdapter;

class frmMainConnectTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.session().txtMinID().setText("0");
        window.findChild<ConnectionControls*>()->setAskAddress([this](const SourceAddress& last) {
            offered.push_back(last);
            return answer;
        });
    }
    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    QString statusText() { return window.findChild<QLabel*>(QStringLiteral("statusSource"))->text(); }
    void answerSlcanOn(const PseudoTerminal& line)
    {
        answer = SourceAddress::slcan(line.devicePath().toStdString(), 250'000);
    }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
    std::optional<SourceAddress> answer;
    std::vector<SourceAddress> offered;
};

TEST_F(frmMainConnectTest, AnAdapterConnectedFromTheToolsMenuFillsTheTableUntilDisconnect)
{
    EXPECT_FALSE(action("mnuToolsDisconnect")->isEnabled());
    action("mnuToolsConnectInterface")->trigger(); // cancelled
    EXPECT_EQ(statusText(), QStringLiteral("No source"));

    PseudoTerminal line;
    ScriptedSlcanAdapter adapter(line, &ScriptedSlcanAdapter::willingAdapter);
    answerSlcanOn(line);
    action("mnuToolsConnectInterface")->trigger();
    EXPECT_EQ(statusText(), QStringLiteral("slcan on %1 at 250k").arg(line.devicePath()));
    EXPECT_TRUE(action("mnuToolsDisconnect")->isEnabled());
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered.at(1), SourceAddress {}); // nothing chosen before

    line.write("t1232AABB\r");
    ASSERT_TRUE(eventually([&] { return window.session().table().rowCount() == 1; }));

    action("mnuToolsDisconnect")->trigger();
    EXPECT_EQ(statusText(), QStringLiteral("No source"));
    EXPECT_FALSE(action("mnuToolsDisconnect")->isEnabled());
    EXPECT_EQ(window.session().table().rowCount(), 1);

    // The dialog opens again on the address used last.
    answer.reset();
    action("mnuToolsConnectInterface")->trigger();
    EXPECT_EQ(offered.back().device, line.devicePath().toStdString());
    EXPECT_EQ(offered.back().bitRate, 250'000u);
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(frmMainConnectTest, APulledAdapterLeavesItsReasonInTheStatusBarAndTheRows)
{
    auto line = std::make_unique<PseudoTerminal>();
    auto adapter = std::make_unique<ScriptedSlcanAdapter>(*line, &ScriptedSlcanAdapter::willingAdapter);
    answerSlcanOn(*line);
    action("mnuToolsConnectInterface")->trigger();
    line->write("t1232AABB\r");
    ASSERT_TRUE(eventually([&] { return window.session().table().rowCount() == 1; }));

    adapter->stop();
    line->hangUp();

    ASSERT_TRUE(eventually([&] { return statusText().startsWith(QStringLiteral("Disconnected: ")); }))
        << statusText().toStdString();
    EXPECT_EQ(statusText(),
              QStringLiteral("Disconnected: %1 went away (the device was removed)").arg(line->devicePath()));
    EXPECT_FALSE(action("mnuToolsDisconnect")->isEnabled());
    EXPECT_EQ(window.session().table().rowCount(), 1);
    EXPECT_TRUE(messageBox.shown.empty());
}

// An interface added beside the one open has its own part of the status bar, named by its bus; the bus
// is renamed from there, the rows of the old name go on under the new one, and a pulled interface
// leaves a note while the other goes on. Disconnect closes both.
TEST_F(frmMainConnectTest, AnAddedInterfaceHasItsOwnPartRenamedThereAndReportedWhenPulled)
{
    action("mnuViewRowsPerBus")->trigger();
    PseudoTerminal first;
    ScriptedSlcanAdapter firstAdapter(first, &ScriptedSlcanAdapter::willingAdapter);
    auto second = std::make_unique<PseudoTerminal>();
    auto secondAdapter = std::make_unique<ScriptedSlcanAdapter>(*second, &ScriptedSlcanAdapter::willingAdapter);
    answerSlcanOn(first);
    action("mnuToolsConnectInterface")->trigger();
    answerSlcanOn(*second);
    action("mnuToolsAddInterface")->trigger();

    auto* parts = window.findChild<vexmoor::BusStatusParts*>();
    ASSERT_NE(parts->partOf(QStringLiteral("slcan1")), nullptr);
    EXPECT_EQ(parts->partOf(QStringLiteral("slcan1"))->text(),
              QStringLiteral("slcan1: slcan on %1 at 250k").arg(second->devicePath()));
    EXPECT_EQ(statusText(), QStringLiteral("slcan0: slcan on %1 at 250k").arg(first.devicePath()));
    second->write("t1231AA\r");
    ASSERT_TRUE(eventually([&] { return window.session().table().rowCount() == 1; }));

    parts->setAskName([](const QString&) { return QStringLiteral("body"); });
    parts->rename(window.controller().addedSources().front());
    ASSERT_NE(parts->partOf(QStringLiteral("body")), nullptr);
    second->write("t1231AB\r");
    first.write("t1231AC\r");
    ASSERT_TRUE(eventually([&] { return window.session().table().rowCount() == 2; }));
    EXPECT_EQ(window.session().busName(window.session().table().row(1).bus), "body");
    EXPECT_EQ(window.session().table().cell(1, vexmoor::MessageColumn::MsgCount), "2");

    secondAdapter->stop();
    second->hangUp();
    ASSERT_TRUE(eventually([&] { return window.controller().addedSources().empty(); }));
    ASSERT_NE(parts->partOf(QStringLiteral("body")), nullptr);
    EXPECT_TRUE(parts->partOf(QStringLiteral("body"))->text().startsWith(QStringLiteral("body disconnected: ")));
    EXPECT_EQ(statusText(), QStringLiteral("slcan on %1 at 250k").arg(first.devicePath()));
    action("mnuToolsDisconnect")->trigger();
    EXPECT_FALSE(window.controller().hasSource());
}

} // namespace
