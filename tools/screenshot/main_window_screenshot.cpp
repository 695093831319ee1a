// Saves a picture of the main window, filled from a board stream or by the emulators, for the README
// and for looking at the window where there is no screen:
//   vexmoor-screenshot STREAM|--emulate|--changes|--marks|--signals OUT.png [WIDTH HEIGHT]
//   vexmoor-screenshot --anatomy OUT.png WIDTH HEIGHT LOG
//   vexmoor-screenshot --buses OUT.png [WIDTH HEIGHT]
// --changes shows the hunt for a switch: the emulators run, the busy bits are suppressed, "Head
// Lights" is switched on, off and on again, and the bit view and the plot show its bit. --marks
// hunts it the other way: each switching is marked, and the marks and the candidates are shown.
// --anatomy opens a candump log and shows the fields proposed for a brake message of a Honda. --buses
// opens a log of two buses that both carry 1A0, a row per bus.
#include "app/frmMain.h"
#include "capture/changes/PlotSignal.h"
#include "capture/record/SystemTimeOfDay.h"
#include "control/CaptureController.h"
#include "platform/QtSerialPort.h"
#include "platform/WidgetMessageBox.h"
#include "sources/LogReplay.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

QWidget* emulatorWindow()
{
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other->objectName() == QStringLiteral("frmEmulator"))
            return other;
    }
    return nullptr;
}

void runEmulators(vexmoor::frmMain& window)
{
    window.findChild<QAction*>(QStringLiteral("mnuEmuInteriour"))->trigger();
    window.findChild<QAction*>(QStringLiteral("MnuFileToggleEmulation"))->trigger();
    for (int sample = 0; sample < 40; ++sample)
        window.controller().sendRandomSample();
}

constexpr std::uint32_t kHeadLightsId = 0x372;

// The head lights' record, 882 (372 in the table), carries the switch in bit 0 of byte 2: plotted as
// that bit, or as the open database's signal where it has one.
void huntTheHeadLights(vexmoor::frmMain& window, bool marking)
{
    runEmulators(window);
    QTest::qWait(3000);
    window.findChild<QAction*>(QStringLiteral("mnuViewSuppress"))->trigger();
    auto* headLights = emulatorWindow()->findChild<QCheckBox*>(QStringLiteral("Check1"));
    const vexmoor::SignalDatabase* database = window.controller().dbc().database();
    const vexmoor::MessageDefinition* message = database != nullptr ? database->message(kHeadLightsId, false) : nullptr;
    const std::optional<vexmoor::PlotSignal> decoded
        = message != nullptr ? vexmoor::PlotSignal::ofDecoded(*message, 1) : std::nullopt;
    window.findChild<vexmoor::PlotPanel*>(QStringLiteral("dockPlot"))
        ->addSignal(decoded.value_or(vexmoor::PlotSignal::ofBit(kHeadLightsId, false, 2, 0)));
    for (int press = 0; press < 3; ++press) {
        // Marks further apart than their windows, so that the ranking can tell the switch from chance.
        QTest::qWait(marking ? 5000 : 1200);
        headLights->click();
        if (marking) {
            // People press the key a moment after the switch.
            QTest::qWait(300);
            window.findChild<QAction*>(QStringLiteral("mnuViewMark"))->trigger();
        }
    }
    if (marking)
        QTest::qWait(1200);
    emulatorWindow()->hide();
    for (int row = 0; row < window.tableModel().rowCount(); ++row) {
        const auto identifier = window.tableModel().identifierOfRow(row);
        if (identifier && identifier->id == kHeadLightsId && !identifier->extended)
            window.tableView().selectRow(row);
    }
    if (auto* bitView = window.findChild<QAction*>(QStringLiteral("mnuViewBitView")); !bitView->isChecked())
        bitView->trigger();
    QTest::qWait(500);
}

// The interior emulator's three messages as a DBC file names them, opened, with the Signals dock shown.
void openInteriorSignals(vexmoor::frmMain& window, const QString& folder)
{
    const QString path = folder + QStringLiteral("/interior.dbc");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("BO_ 880 ESP: 3 BCM\n SG_ ESP_MODE : 0|8@1+ (1,0) [0|255] \"\" Vector__XXX\n"
               " SG_ ESP_OFF : 16|1@1+ (1,0) [0|1] \"\" Vector__XXX\n\n"
               "BO_ 881 LOCKER: 3 BCM\n SG_ LOCKER_MODE : 0|8@1+ (1,0) [0|255] \"\" Vector__XXX\n"
               " SG_ DIFF_LOCKED : 16|1@1+ (1,0) [0|1] \"\" Vector__XXX\n\n"
               "BO_ 882 HEAD_LIGHTS: 3 BCM\n SG_ LIGHTS_MODE : 0|8@1+ (1,0) [0|255] \"\" Vector__XXX\n"
               " SG_ HEAD_LIGHTS_ON : 16|1@1+ (1,0) [0|1] \"\" Vector__XXX\n\n"
               "VAL_ 882 HEAD_LIGHTS_ON 0 \"Off\" 1 \"On\" ;\n");
    file.close();
    window.controller().dbc().open(path);
    if (auto* signalsDock = window.findChild<QAction*>(QStringLiteral("mnuViewSignals")); !signalsDock->isChecked())
        signalsDock->trigger();
}

// A Civic's brake message: a 16-bit reading, flags, a counter and a nibble's checksum.
constexpr std::uint32_t kBrakeId = 0x1A4;

void showAnatomyOf(vexmoor::frmMain& window, const QString& log)
{
    window.controller().openLog(log, vexmoor::LogReplay::Mode::AtOnce);
    QTest::qWait(3000);
    for (int row = 0; row < window.tableModel().rowCount(); ++row) {
        const auto identifier = window.tableModel().identifierOfRow(row);
        if (identifier && identifier->id == kBrakeId && !identifier->extended)
            window.tableView().selectRow(row);
    }
    for (const char* dock : { "mnuViewBitView", "mnuViewAnatomy" }) {
        if (auto* action = window.findChild<QAction*>(QLatin1String(dock)); !action->isChecked())
            action->trigger();
    }
    // The fields' details want room beside the bits.
    window.resizeDocks({ window.findChild<QDockWidget*>(QStringLiteral("dockBitView")),
                         window.findChild<QDockWidget*>(QStringLiteral("dockAnatomy")) },
                       { 560, 1000 }, Qt::Horizontal);
    window.resizeDocks({ window.findChild<QDockWidget*>(QStringLiteral("dockAnatomy")) }, { 420 }, Qt::Vertical);
    QTest::qWait(1500);
}

// Ten seconds of two buses at 100 Hz: the body bus's 1A0 carries the doors and a lamp, the powertrain
// bus's 1A0 a counter and the engine's speed; 2C4 is on the body bus only, 3C9 on the powertrain only.
QString twoBusLog(const QString& folder)
{
    const QString path = folder + QStringLiteral("/two-buses.log");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return path;
    char line[96];
    for (int tick = 0; tick < 1000; ++tick) {
        const double seconds = 1765000000.0 + tick * 0.01;
        const int doors = tick < 400 ? 0x00 : tick < 700 ? 0x04 : 0x05;
        // Up from idle and down again, with a little noise.
        const int rpm = 800 + (tick % 500 < 250 ? tick % 250 : 250 - tick % 250) * 6 + (tick * 13) % 5;
        std::snprintf(line, sizeof line, "(%.6f) body 1A0#%02X00%02X\n", seconds, doors, tick / 250);
        file.write(line);
        std::snprintf(line, sizeof line, "(%.6f) powertrain 1A0#%02X%02X%02X00\n", seconds + 0.002, tick % 16, rpm >> 8,
                      rpm & 0xFF);
        file.write(line);
        if (tick % 10 == 0) {
            std::snprintf(line, sizeof line, "(%.6f) body 2C4#%02X11\n(%.6f) powertrain 3C9#%02X0000\n",
                          seconds + 0.004, tick / 100, seconds + 0.006, 40 + tick / 50);
            file.write(line);
        }
    }
    return path;
}

void showTwoBuses(vexmoor::frmMain& window, const QString& folder)
{
    window.controller().setRowsPerBus(true);
    window.controller().openLog(twoBusLog(folder), vexmoor::LogReplay::Mode::AtOnce);
    QTest::qWait(1500);
    for (int row = 0; row < window.tableModel().rowCount(); ++row) {
        const auto identifier = window.tableModel().identifierOfRow(row);
        if (identifier && identifier->id == 0x1A0 && identifier->busName == QStringLiteral("powertrain"))
            window.tableView().selectRow(row);
    }
    if (auto* bitView = window.findChild<QAction*>(QStringLiteral("mnuViewBitView")); !bitView->isChecked())
        bitView->trigger();
    // The Bus column beside CAN_ID, where the picture can show it, as a user may drag it.
    QHeaderView* header = window.tableView().horizontalHeader();
    header->moveSection(header->visualIndex(vexmoor::MessageTableModel::kBusColumn), 1);
    QTest::qWait(500);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view usageLine
        = "usage: vexmoor-screenshot STREAM|--emulate|--changes|--marks|--signals OUT.png [WIDTH HEIGHT]\n"
          "       vexmoor-screenshot --anatomy OUT.png WIDTH HEIGHT LOG\n"
          "       vexmoor-screenshot --buses OUT.png [WIDTH HEIGHT]\n";
    // Answered before the application starts: help needs no screen.
    for (int index = 1; index < argc; ++index) {
        if (std::string_view(argv[index]) == "--help" || std::string_view(argv[index]) == "-h") {
            std::cout << usageLine
                      << "\nSaves a picture of the main window to OUT.png (at WIDTH x HEIGHT when given), its table\n"
                         "filled from the board stream in the file STREAM, or:\n"
                         "  --emulate   by both emulators\n"
                         "  --changes   the hunt for the head lights' bit by eye: suppression, bit view and plot\n"
                         "  --marks     the same hunt with marks and the candidates\n"
                         "  --signals   the same hunt with the emulator's messages in a DBC file, in the Signals dock\n"
                         "  --buses     a log of two buses that both carry 1A0, a row per bus\n"
                         "  --anatomy   the fields proposed for a Honda's brake message, from the candump log given\n"
                         "              after WIDTH and HEIGHT\n"
                         "  --help, -h  show this text\n"
                         "Without a screen, run it with QT_QPA_PLATFORM=offscreen.\n";
            return std::cout.flush() ? 0 : 2;
        }
    }
    QApplication application(argc, argv);
    if (argc < 3) {
        std::cerr << usageLine;
        return 2;
    }
    const bool emulate = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--emulate");
    const bool marks = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--marks");
    const bool decoded = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--signals");
    const bool changes = marks || decoded || QString::fromLocal8Bit(argv[1]) == QStringLiteral("--changes");
    const bool anatomy = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--anatomy");
    const bool buses = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--buses");
    if (anatomy && argc < 6) {
        std::cerr << usageLine;
        return 2;
    }
    QFile stream(QString::fromLocal8Bit(argv[1]));
    if (!emulate && !changes && !anatomy && !buses && !stream.open(QIODevice::ReadOnly)) {
        std::cerr << "vexmoor-screenshot: cannot read " << argv[1] << '\n';
        return 2;
    }
    vexmoor::QtSerialPort port;
    vexmoor::WidgetMessageBox messageBox;
    vexmoor::SystemTimeOfDay clock;
    vexmoor::frmMain window(messageBox, port, clock);
    if (argc >= 5)
        window.resize(QString::fromLocal8Bit(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]).toInt());
    window.show();
    const QTemporaryDir folder;
    if (decoded)
        openInteriorSignals(window, folder.path());
    if (anatomy) {
        showAnatomyOf(window, QString::fromLocal8Bit(argv[5]));
    } else if (buses) {
        showTwoBuses(window, folder.path());
    } else if (changes) {
        huntTheHeadLights(window, marks);
    } else if (emulate) {
        // Both emulators, as a newcomer without hardware would run them, with the emulator window closed
        // again so that the table is seen whole.
        runEmulators(window);
        QTest::qWait(2500);
        emulatorWindow()->hide();
    } else {
        const QByteArray bytes = stream.readAll();
        window.session().assembly().poll(bytes.toStdString());
        // A second pass over the stream gives every row its time, ASCII text and change marks.
        window.session().assembly().poll(bytes.toStdString());
    }
    QTest::qWait(300);
    // The session of the picture, for the README, where asked.
    if (const QByteArray sessionPath = qgetenv("VEXMOOR_SCREENSHOT_SESSION"); !sessionPath.isEmpty())
        window.controller().sessionDocument().saveAs(QString::fromLocal8Bit(sessionPath));
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::cerr << "vexmoor-screenshot: cannot write " << argv[2] << '\n';
        return 2;
    }
    return 0;
}
