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

} // namespace
