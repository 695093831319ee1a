#include "app/AnatomyControls.h"

#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "capture/signals/SignalDatabase.h"
#include "control/CaptureController.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/AnatomyProposals.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QDockWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using vexmoor::FieldKind;
using vexmoor::test::eventually;

constexpr std::uint32_t kId = 0x1A0;

// The main window with one identifier whose fields are plain: byte 0's low nibble counts by 1 and bytes
// 2 and 3 are a big-endian number rising by uneven small steps.
class AnatomyControlsTest : public testing::Test {
protected:
    AnatomyControlsTest()
    {
        unsigned value = 0x12F0;
        for (int index = 0; index < 200; ++index) {
            value += 1 + static_cast<unsigned>(index * 7 % 5);
            window.session().ingestFrame(
                vexmoor::test::makeFrame(kId,
                                         { static_cast<std::uint8_t>(index & 0x0F), 0x55,
                                           static_cast<std::uint8_t>(value >> 8),
                                           static_cast<std::uint8_t>(value & 0xFF), 0, 0, 0, 0 },
                                         { .timestampUs = 1'700'000'000'000'000 + index * 10'000 }),
                "can0");
        }
        window.tableModel().refresh();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    const vexmoor::MessageAnatomy* proposal() { return controls->proposals().find(kId, false, 0); }
    std::set<std::string> signalNames()
    {
        const vexmoor::SignalDatabase* database = window.controller().dbc().database();
        const vexmoor::MessageDefinition* message = database != nullptr ? database->message(kId, false) : nullptr;
        std::set<std::string> names;
        for (std::size_t index = 0; message != nullptr && index < message->signalDefinitions.size(); ++index)
            names.insert(message->signalDefinitions[index].name);
        return names;
    }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
    vexmoor::AnatomyControls* controls = window.findChild<vexmoor::AnatomyControls*>(QStringLiteral("anatomyControls"));
};

TEST_F(AnatomyControlsTest, AcceptAllAddsEveryFieldThatMovedOnceToANewDatabase)
{
    ASSERT_NE(controls, nullptr);
    action("mnuViewAnatomy")->trigger();
    window.tableView().selectRow(0);
    ASSERT_TRUE(eventually([&] { return proposal() != nullptr; }));
    ASSERT_TRUE(proposal()->proposed);
    std::set<std::string> expected;
    for (const vexmoor::ProposedField& field : proposal()->fields) {
        if (field.kind != FieldKind::Constant)
            expected.insert(field.signalName("1A0"));
    }
    ASSERT_FALSE(window.controller().dbc().isOpen());

    auto* acceptAll = window.findChild<QPushButton*>(QStringLiteral("btnAnatomyAcceptAll"));
    QTest::mouseClick(acceptAll, Qt::LeftButton);
    EXPECT_EQ(signalNames(), expected);
    EXPECT_EQ(window.controller().dbc().database()->message(kId, false)->name, "MSG_1A0");
    EXPECT_TRUE(window.findChild<QDockWidget*>(QStringLiteral("dockSignals"))->isVisible());

    QTest::mouseClick(acceptAll, Qt::LeftButton);
    EXPECT_EQ(window.controller().dbc().database()->message(kId, false)->signalDefinitions.size(), expected.size())
        << "no duplicates";
}

// A message whose frames show no byte order (its number never crosses a byte) takes the order the bus's
// other messages show: 1A0's number carries from byte 3 into byte 2, big endian.
TEST_F(AnatomyControlsTest, AMessageThatShowsNoByteOrderTakesTheOrderOfTheBus)
{
    constexpr std::uint32_t kWithinAByte = 0x3C0;
    int wandering = 100;
    for (int index = 0; index < 200; ++index) {
        wandering += index * 7 % 5 - 2;
        window.session().ingestFrame(
            vexmoor::test::makeFrame(kWithinAByte, { 0, static_cast<std::uint8_t>(wandering) },
                                     { .timestampUs = 1'700'000'010'000'000 + index * 10'000 }),
            "can0");
    }
    window.tableModel().refresh();
    window.tableView().selectRow(1);
    action("mnuViewAnatomy")->trigger();
    const auto proposed = [&] { return controls->proposals().find(kWithinAByte, false, 0); };
    ASSERT_TRUE(eventually([&] { return proposed() != nullptr; }));
    EXPECT_EQ(proposed()->bigEndianEvidence, 0);
    for (const vexmoor::ProposedField& field : proposed()->fields)
        EXPECT_EQ(field.byteOrder, vexmoor::ByteOrder::BigEndian) << field.description();
}

// Proposing costs time: only while the bit view or the dock shows the fields; clearing the data
// forgets them.
TEST_F(AnatomyControlsTest, ProposesOnlyWhileTheFieldsAreShownAndForgetsThemWithTheData)
{
    ASSERT_NE(controls, nullptr);
    window.tableView().selectRow(0);
    EXPECT_FALSE(controls->proposals().isActive());
    EXPECT_EQ(proposal(), nullptr);

    action("mnuViewAnatomy")->trigger();
    EXPECT_TRUE(eventually([&] { return controls->proposals().isActive() && proposal() != nullptr; }));
    action("mnuViewAnatomy")->trigger();
    EXPECT_TRUE(eventually([&] { return !controls->proposals().isActive(); }));
    action("mnuViewBitView")->trigger();
    EXPECT_TRUE(eventually([&] { return controls->proposals().isActive(); }));

    action("MnuToolsClear")->trigger();
    EXPECT_EQ(proposal(), nullptr);
}

} // namespace
