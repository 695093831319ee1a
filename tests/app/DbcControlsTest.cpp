#include "app/SignalControls.h"
#include "app/frmMain.h"
#include "capture/FixedClock.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/ranking/RankedBit.h"
#include "capture/record/CaptureSession.h"
#include "control/CaptureController.h"
#include "dialogs/frmMessageEditor.h"
#include "dialogs/frmSignalEditor.h"
#include "platform/AnsweringFileChooser.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "views/MessageTableModel.h"
#include "views/PlotPanel.h"
#include "views/SignalTreeModel.h"

#include <QAbstractAxis>
#include <QAction>
#include <QChart>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using vexmoor::MessageTableModel;

class DbcControlsTest : public testing::Test {
protected:
    DbcControlsTest() { window.setFileChooser(chooser); }

    QString write(const std::string& name, const std::string& text)
    {
        const QString path = folder.filePath(QString::fromStdString(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }
    void trigger(const char* name) { window.findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
    QString status() { return window.findChild<QLabel*>(QStringLiteral("statusDbc"))->text(); }
    QString messageOfRow(int row)
    {
        return window.tableModel().index(row, MessageTableModel::kDbcMessageColumn).data().toString();
    }

    QTemporaryDir folder;
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::AnsweringFileChooser chooser;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
};

// Opened, a database names the rows' messages and the status bar names the file; a broken one is
// refused with the reader's line and column and leaves the open one as it was; closing with unsaved
// edits asks first, and saves when told to.
TEST_F(DbcControlsTest, OpensRefusesABrokenFileAndAsksBeforeClosingEdits)
{
    window.session().ingest("<680,1,2,>");
    window.tableModel().refresh();
    chooser.openPath = write("doors.dbc", "BO_ 680 DOORS: 2 BCM\n SG_ OPEN : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n");
    trigger("mnuFileOpenDbc");
    ASSERT_TRUE(messageBox.shown.empty()) << messageBox.shown[0].text.toStdString();
    EXPECT_EQ(messageOfRow(0), QStringLiteral("DOORS"));
    EXPECT_EQ(status(), QStringLiteral("DBC: doors.dbc"));

    chooser.openPath = write("broken.dbc", "BO_ 680 DOORS: 2 BCM\n SG_ OPEN : 0|1@7+ (1,0) [0|1] \"\" X\n");
    trigger("mnuFileOpenDbc");
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Open DBC"));
    EXPECT_TRUE(messageBox.shown[0].text.startsWith(QStringLiteral("broken.dbc: line 2, column ")))
        << messageBox.shown[0].text.toStdString();
    EXPECT_EQ(messageOfRow(0), QStringLiteral("DOORS"));
    EXPECT_EQ(status(), QStringLiteral("DBC: doors.dbc"));

    window.controller().dbc().markModified();
    EXPECT_EQ(status(), QStringLiteral("DBC: doors.dbc *"));
    messageBox.answer = false;
    trigger("mnuFileCloseDbc");
    ASSERT_EQ(messageBox.asked.size(), 1u);
    EXPECT_EQ(messageBox.asked[0].text, QStringLiteral("Save the changes to doors.dbc first?"));
    EXPECT_FALSE(window.controller().dbc().isOpen());
    EXPECT_TRUE(messageOfRow(0).isEmpty());
}

// The Signals dock reads what the frames carried before the database was opened, from the history,
// and what they carry after, live; a frame too short for a signal leaves its last value.
TEST_F(DbcControlsTest, TheSignalsDockShowsThePastAndTheLiveValues)
{
    window.session().ingest("<680,1,3,>");
    chooser.openPath = write("doors.dbc",
                             "BO_ 680 DOORS: 2 BCM\n"
                             " SG_ OPEN : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n"
                             " SG_ TEMP : 8|8@1- (0.5,-10) [-74|53.5] \"C\" Vector__XXX\n\n"
                             "VAL_ 680 OPEN 0 \"Closed\" 1 \"Open\" ;\n");
    trigger("mnuFileOpenDbc");
    auto& model = *window.findChild<vexmoor::SignalTreeModel*>();
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex doors = model.index(0, 0);
    EXPECT_EQ(doors.data().toString(), QStringLiteral("DOORS (2A8)"));
    ASSERT_EQ(model.rowCount(doors), 2);
    auto cell = [&](int row, int column) { return model.index(row, column, doors).data().toString(); };
    EXPECT_EQ(cell(0, vexmoor::SignalTreeModel::ValueColumn), QStringLiteral("1"));
    EXPECT_EQ(cell(0, vexmoor::SignalTreeModel::DescriptionColumn), QStringLiteral("Open"));
    EXPECT_EQ(cell(1, vexmoor::SignalTreeModel::ValueColumn), QStringLiteral("-8.5 C"));

    window.session().ingest("<680,0,>");
    EXPECT_EQ(cell(0, vexmoor::SignalTreeModel::DescriptionColumn), QStringLiteral("Closed"));
    EXPECT_TRUE(model.index(0, vexmoor::SignalTreeModel::ValueColumn, doors).data(Qt::BackgroundRole).isValid())
        << "a value that just changed flashes";
    EXPECT_EQ(cell(0, vexmoor::SignalTreeModel::RawColumn), QStringLiteral("0"));
    EXPECT_EQ(cell(1, vexmoor::SignalTreeModel::ValueColumn), QStringLiteral("-8.5 C"));
}

// A candidate's bit becomes a signal in one gesture: the editor starts from the bit, shows what the
// latest frame gives, refuses a name DBC cannot hold, and the signal joins a database begun for it.
TEST_F(DbcControlsTest, ACandidatesBitIsDefinedAsASignalOfANewDatabase)
{
    window.session().ingest("<680,0,5,>");
    vexmoor::RankedBit candidate;
    candidate.id = 0x2A8;
    candidate.byte = 1;
    candidate.bit = 2;
    window.findChild<vexmoor::SignalControls*>()->defineSignal(candidate);
    auto* editor = window.findChild<vexmoor::frmSignalEditor*>();
    ASSERT_NE(editor, nullptr);
    auto* name = editor->findChild<QLineEdit*>(QStringLiteral("txtSignalName"));
    auto* preview = editor->findChild<QLabel*>(QStringLiteral("lblPreview"));
    auto* ok = editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_EQ(editor->signal().startBit, 10);
    EXPECT_EQ(preview->text(), QStringLiteral("1")) << "bit 2 of 5";

    name->setText(QStringLiteral("2nd light"));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(editor->findChild<QLabel*>(QStringLiteral("lblProblem"))->text().isEmpty());
    name->setText(QStringLiteral("LIGHT"));
    editor->findChild<QSpinBox*>(QStringLiteral("spnLength"))->setValue(7);
    EXPECT_FALSE(ok->isEnabled()) << "bits 10 to 16 reach past the message's 2 bytes: the file would not read back";
    editor->findChild<QSpinBox*>(QStringLiteral("spnLength"))->setValue(3);
    EXPECT_EQ(preview->text(), QStringLiteral("1")) << "bits 2 to 4 of 5";
    ASSERT_TRUE(ok->isEnabled());
    ok->click();

    const vexmoor::SignalDatabase* database = window.controller().dbc().database();
    ASSERT_NE(database, nullptr);
    const vexmoor::MessageDefinition* message = database->message(0x2A8, false);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->name, "MSG_2A8");
    ASSERT_EQ(message->signalDefinitions.size(), 1u);
    EXPECT_EQ(message->signalDefinitions[0].name, "LIGHT");
    EXPECT_EQ(status(), QStringLiteral("DBC: untitled.dbc *"));
    auto& signalTree = *window.findChild<vexmoor::SignalTreeModel*>();
    EXPECT_EQ(signalTree.index(0, vexmoor::SignalTreeModel::ValueColumn, signalTree.index(0, 0)).data().toString(),
              QStringLiteral("1"))
        << "its value from the frame that came before it was defined";
}

// The Signals dock's right-click menu edits a signal in place, keeping what the editor does not show,
// and deletes one after asking.
TEST_F(DbcControlsTest, TheSignalsDockEditsAndDeletesSignals)
{
    chooser.openPath = write("doors.dbc",
                             "BO_ 680 DOORS: 2 BCM\n"
                             " SG_ OPEN : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n"
                             " SG_ TEMP : 8|8@1- (0.5,-10) [-74|53.5] \"C\" Vector__XXX\n\n"
                             "BA_DEF_ SG_ \"GenSigStartValue\" INT 0 1;\n"
                             "BA_ \"GenSigStartValue\" SG_ 680 OPEN 1;\n"
                             "VAL_ 680 OPEN 0 \"Closed\" 1 \"Open\" ;\n");
    trigger("mnuFileOpenDbc");
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("treeSignals"));
    ASSERT_NE(tree, nullptr);
    auto signalRow = [&](int row) { return tree->model()->index(row, 0, tree->model()->index(0, 0)); };
    auto signalsOfDoors
        = [&] { return window.controller().dbc().database()->message(0x2A8, false)->signalDefinitions; };

    tree->setCurrentIndex(signalRow(0));
    trigger("mnuSignalsEdit");
    auto* editor = window.findChild<vexmoor::frmSignalEditor*>();
    ASSERT_NE(editor, nullptr);
    editor->findChild<QLineEdit*>(QStringLiteral("txtSignalName"))->setText(QStringLiteral("DOOR_OPEN"));
    editor->findChild<QSpinBox*>(QStringLiteral("spnLength"))->setValue(2);
    editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    ASSERT_EQ(signalsOfDoors().size(), 2u);
    EXPECT_EQ(signalsOfDoors()[0].name, "DOOR_OPEN");
    EXPECT_EQ(signalsOfDoors()[0].length, 2);
    EXPECT_EQ(signalsOfDoors()[0].valueDescriptions.size(), 2u) << "kept from the file";
    EXPECT_EQ(status(), QStringLiteral("DBC: doors.dbc *"));
    const auto& attributes = window.controller().dbc().database()->attributeValues;
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(attributes[0].objectName, "DOOR_OPEN") << "what the file says of a signal follows its new name";

    tree->setCurrentIndex(signalRow(1));
    messageBox.answer = false;
    trigger("mnuSignalsDelete");
    EXPECT_EQ(signalsOfDoors().size(), 2u) << "not without a yes";
    messageBox.answer = true;
    trigger("mnuSignalsDelete");
    ASSERT_EQ(signalsOfDoors().size(), 1u);
    EXPECT_EQ(signalsOfDoors()[0].name, "DOOR_OPEN");
    EXPECT_EQ(messageBox.asked.back().text, QStringLiteral("Delete the signal TEMP?"));
}

// Double-click on a signal plots it in physical units, from the frames that came before the signal
// was defined, with its name and unit on the axis.
TEST_F(DbcControlsTest, ASignalDefinedAfterItsFramesPlotsThem)
{
    for (const char* record : { "<680,1,10,>", "<680,1,20,>", "<680,1,30,>" })
        window.session().ingest(record);
    chooser.openPath = write("doors.dbc",
                             "BO_ 680 DOORS: 2 BCM\n"
                             " SG_ TEMP : 8|8@1- (0.5,-10) [-74|53.5] \"C\" Vector__XXX\n");
    trigger("mnuFileOpenDbc");
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("treeSignals"));
    emit tree->doubleClicked(tree->model()->index(0, 0, tree->model()->index(0, 0)));

    const vexmoor::SignalRecorder& plotted = window.session().plotted();
    ASSERT_EQ(plotted.count(), 1u);
    EXPECT_EQ(plotted.plotSignal(0).label(), "2A8 DOORS.TEMP (C)");
    ASSERT_EQ(plotted.series(0).size(), 3u);
    for (std::size_t index = 0; index < 3; ++index)
        EXPECT_DOUBLE_EQ(plotted.series(0).at(index).value, -5.0 + 5.0 * static_cast<double>(index));
    auto* plot = window.findChild<vexmoor::PlotPanel*>();
    plot->refresh();
    const auto axes = plot->chart().axes(Qt::Vertical);
    ASSERT_FALSE(axes.isEmpty());
    EXPECT_EQ(axes.first()->titleText(), QStringLiteral("DOORS.TEMP (C)"));
}

// Messages are added, edited and deleted from the same menu: an identifier or name another message
// has is refused, a new identifier takes the signals along, and deleting asks first.
TEST_F(DbcControlsTest, TheSignalsDockAddsEditsAndDeletesMessages)
{
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("treeSignals"));
    auto fill = [&](const char* name, const char* id) {
        auto* editor = window.findChild<vexmoor::frmMessageEditor*>();
        editor->findChild<QLineEdit*>(QStringLiteral("txtMessageName"))->setText(QString::fromLatin1(name));
        editor->findChild<QLineEdit*>(QStringLiteral("txtMessageId"))->setText(QString::fromLatin1(id));
        return editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    };
    trigger("mnuSignalsAddMessage");
    fill("DOORS", "2A8")->click();
    window.findChild<vexmoor::frmMessageEditor*>()->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(status(), QStringLiteral("DBC: untitled.dbc *"));
    vexmoor::SignalDefinition open;
    open.name = "OPEN";
    open.length = 1;
    ASSERT_TRUE(
        window.controller().dbc().addSignal(*window.controller().dbc().database()->message(0x2A8, false), open));

    trigger("mnuSignalsAddMessage");
    EXPECT_FALSE(fill("LIGHTS", "2A8")->isEnabled()) << "DOORS has that identifier";
    EXPECT_FALSE(fill("DOORS", "2B0")->isEnabled()) << "a message has that name";
    EXPECT_FALSE(fill("LIGHTS", "800")->isEnabled()) << "past the standard identifiers";
    window.findChild<vexmoor::frmMessageEditor*>()->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    tree->setCurrentIndex(tree->model()->index(0, 0));
    trigger("mnuSignalsEditMessage");
    fill("DOOR_STATE", "2B0")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const vexmoor::SignalDatabase& database = *window.controller().dbc().database();
    ASSERT_EQ(database.messages().size(), 1u);
    EXPECT_EQ(database.messages()[0].id, 0x2B0u);
    EXPECT_EQ(database.messages()[0].name, "DOOR_STATE");
    EXPECT_EQ(database.messages()[0].signalDefinitions.size(), 1u);

    tree->setCurrentIndex(tree->model()->index(0, 0));
    messageBox.answer = true;
    trigger("mnuSignalsDeleteMessage");
    EXPECT_EQ(messageBox.asked.back().text, QStringLiteral("Delete the message DOOR_STATE and its 1 signals?"));
    EXPECT_TRUE(window.controller().dbc().database()->messages().empty());
}

} // namespace
