#include "app/SessionControls.h"
#include "app/SuppressionControls.h"
#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/FixedClock.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/record/CaptureSession.h"
#include "capture/session/SessionFile.h"
#include "control/CaptureController.h"
#include "platform/AnsweringFileChooser.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

using vexmoor::MessageColumn;

// A window of its own, as a person starts the program.
struct Window {
    Window() { window.setFileChooser(chooser); }
    void trigger(const char* name) { window.findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
    vexmoor::CaptureSession& session() { return window.session(); }
    // The session as it would be written now; the geometry aside, which a window never shown (offscreen)
    // does not take back exactly.
    std::string written()
    {
        vexmoor::SessionState state = window.controller().sessionDocument().gather({});
        state.windowGeometry.clear();
        return vexmoor::SessionFile::write(state);
    }

    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::AnsweringFileChooser chooser;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
};

std::string contentOf(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SessionControlsTest : public testing::Test {
protected:
    QString path(const char* name) { return folder.filePath(QString::fromLatin1(name)); }

    // Every item a session keeps, set as a person would have set it.
    void setEveryItem(Window& first)
    {
        vexmoor::CaptureSession& session = first.session();
        session.ingest("<680,1,2,>");
        session.ingest("<1000,7,>");
        session.table().setCell(1, MessageColumn::MessageName, "Doors \xFC");
        first.window.controller().pollTimer().setInterval(250);
        session.txtAutoFilter().setText("500");
        session.txtMinID().setText("16");
        session.List2().append("7DF");
        session.List1().append("<2000,1,>");
        auto* suppression = first.window.findChild<vexmoor::SuppressionControls*>();
        vexmoor::SuppressionMask mask;
        mask.suppress(0x2A8, false, { 0x81, 0, 0x4 }); // and a bit of a CAN FD frame's byte 16
        suppression->replaceMask(std::move(mask));
        session.ranking().setWindow(500'000, 2'000'000);
        session.ranking().addMark(1'000'000, "lights on");
        std::ofstream(path("doors.dbc").toStdString())
            << "BO_ 680 DOORS: 2 BCM\n SG_ OPEN : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n";
        first.window.controller().dbc().open(path("doors.dbc"));
        session.plotted().add(vexmoor::PlotSignal::ofBit(0x2A8, false, 1, 3));
        session.plotted().add(
            *vexmoor::PlotSignal::ofDecoded(*first.window.controller().dbc().database()->message(0x2A8, false), 0));
        first.window.tableView().hideColumnsTitled({ QStringLiteral("DBC Message") });
    }

    QTemporaryDir folder;
};

// Saved, then opened in a fresh window, a session gives back every item: a name whose row has not
// come yet goes on the row when it comes.
TEST_F(SessionControlsTest, SavedAndOpenedInAFreshWindowEveryItemComesBack)
{
    auto first = std::make_unique<Window>();
    setEveryItem(*first);
    first->chooser.savePath = path("drive");
    first->trigger("mnuFileSaveSession");
    ASSERT_TRUE(first->messageBox.shown.empty()) << first->messageBox.shown[0].text.toStdString();
    EXPECT_EQ(first->window.findChild<QLabel*>(QStringLiteral("statusSession"))->text(),
              QStringLiteral("Session: drive.vexmoor"));
    const std::string saved = first->written();
    first.reset();

    Window second;
    second.chooser.openPath = path("drive.vexmoor");
    second.trigger("mnuFileOpenSession");
    ASSERT_TRUE(second.messageBox.shown.empty()) << second.messageBox.shown[0].text.toStdString();
    EXPECT_EQ(second.written(), saved) << "every item, as the first window held it";
    EXPECT_EQ(second.window.controller().pollTimer().interval(), 250);
    EXPECT_EQ(second.session().plotted().count(), 2u);
    EXPECT_EQ(second.window.controller().dbc().path(), path("doors.dbc"));
    EXPECT_EQ(second.window.findChild<vexmoor::SuppressionControls*>()->mask().mask(0x2A8, false, 2), 0x4u);
    EXPECT_EQ(second.window.findChild<vexmoor::SuppressionControls*>()->mask().mask(0x2A8, false), 0x81u);
    EXPECT_TRUE(second.window.tableView().isColumnHidden(vexmoor::MessageTableModel::kDbcMessageColumn));
    EXPECT_NE(contentOf(path("drive.vexmoor")).find("\"path\": \"doors.dbc\""), std::string::npos)
        << "a database beside the session is named relative to it";

    second.session().ingest("<680,1,2,>");
    EXPECT_EQ(second.session().table().cell(1, MessageColumn::MessageName), "Doors \xFC")
        << "the name waited for its row";
}

// A row per bus, the bus the DBC decodes and a name on the row of one bus come back in a fresh window.
TEST_F(SessionControlsTest, RowsPerBusTheDbcBusAndANameOnOneBusComeBack)
{
    auto first = std::make_unique<Window>();
    first->trigger("mnuViewRowsPerBus");
    first->window.controller().setDbcBus(QStringLiteral("can1"));
    const vexmoor::CanFrame frame = vexmoor::test::makeFrame(0x2A8, { 1 });
    first->session().ingestFrame(frame, "can0");
    first->session().ingestFrame(frame, "can1");
    first->session().table().setCell(2, MessageColumn::MessageName, "Doors on can1");
    first->chooser.savePath = path("buses");
    first->trigger("mnuFileSaveSession");
    first.reset();

    Window second;
    second.chooser.openPath = path("buses.vexmoor");
    second.trigger("mnuFileOpenSession");
    ASSERT_TRUE(second.messageBox.shown.empty()) << second.messageBox.shown[0].text.toStdString();
    EXPECT_TRUE(second.window.findChild<QAction*>(QStringLiteral("mnuViewRowsPerBus"))->isChecked());
    EXPECT_FALSE(second.window.tableView().isColumnHidden(vexmoor::MessageTableModel::kBusColumn));
    EXPECT_EQ(second.window.controller().dbcBus(), QStringLiteral("can1"));
    second.session().ingestFrame(frame, "can0");
    second.session().ingestFrame(frame, "can1");
    EXPECT_EQ(second.session().table().cell(1, MessageColumn::MessageName), "");
    EXPECT_EQ(second.session().table().cell(2, MessageColumn::MessageName), "Doors on can1");
}

// A file that cannot be read as a whole is refused with its line, and nothing changes; a database
// whose file is gone is decoded from the session's copy, and the status bar says so.
TEST_F(SessionControlsTest, ARefusedFileChangesNothingAndAMissingDbcUsesTheCopy)
{
    Window window;
    window.session().List2().append("7DF");
    const std::string before = window.written();
    std::ofstream(path("broken.vexmoor").toStdString())
        << "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"ignored_ids\": [],\n\"marks\": {}}";
    window.chooser.openPath = path("broken.vexmoor");
    window.trigger("mnuFileOpenSession");
    ASSERT_EQ(window.messageBox.shown.size(), 1u);
    EXPECT_EQ(window.messageBox.shown[0].text, QStringLiteral("broken.vexmoor: line 3: \"marks\" should be a list"));
    EXPECT_EQ(window.written(), before);

    window.chooser.savePath = QDir(path("no-such-folder")).filePath(QStringLiteral("s.vexmoor"));
    window.trigger("mnuFileSaveSessionAs");
    ASSERT_EQ(window.messageBox.shown.size(), 2u) << "an unwritable destination says why";

    std::ofstream(path("moved.vexmoor").toStdString())
        << "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"dbc\": {\"path\": \"gone.dbc\", \"text\": "
           "\"BO_ 680 DOORS: 2 BCM\\n\"}}";
    window.chooser.openPath = path("moved.vexmoor");
    window.trigger("mnuFileOpenSession");
    ASSERT_EQ(window.messageBox.shown.size(), 2u);
    ASSERT_TRUE(window.window.controller().dbc().isOpen());
    EXPECT_TRUE(
        window.window.findChild<QLabel*>(QStringLiteral("statusDbc"))->text().contains(QStringLiteral("missing")));
}

// A change reaches the recovery file a second later; a window gone without closing (a crash) leaves it
// there, and the next run keeps it for Restore Last Session.
TEST_F(SessionControlsTest, TheRecoveryFileHoldsTheLastChangeAfterACrash)
{
    auto crashed = std::make_unique<Window>();
    auto* controls = crashed->window.findChild<vexmoor::SessionControls*>();
    const QString recovery = controls->recoveryPath();
    controls->checkForChanges(0);
    crashed->session().List2().append("7DF");
    controls->checkForChanges(1000);
    EXPECT_EQ(contentOf(recovery).find("7DF"), std::string::npos) << "not while it may still be changing";
    controls->checkForChanges(2000);
    EXPECT_NE(contentOf(recovery).find("\"7DF\""), std::string::npos);
    crashed.reset();

    Window next;
    next.trigger("mnuFileRestoreSession");
    EXPECT_EQ(next.session().List2().entries(), std::vector<std::string> { "7DF" });
}

} // namespace
