// The main window under a loaded line: connects to SOURCE (the board's port, as "Connect To COM"
// does, or an slcan or Qt Serial Bus address), with the minimum identifier at 0 and the purge
// threshold out of reach, runs for SECONDS while a 10 ms probe timer measures how late the event
// loop answers, then prints the records counted, the probe's lateness and the CPU used. The window is
// as a person hunting a switch has it: the tracked columns shown, and once the first rows are in, the
// bit view on the first row and a plot of four values of the first four rows. With a DBC file, the
// file is open and the Signals dock shown, every message unfolded, from the start.
//   vexmoor-window-load SOURCE SECONDS [DBC]      (QT_QPA_PLATFORM=offscreen or under Xvfb)
#include "app/frmMain.h"
#include "capture/record/SystemTimeOfDay.h"
#include "capture/signals/LatestSignalValues.h"
#include "cli/ConsoleMessageBox.h"
#include "control/CaptureController.h"
#include "platform/QtSerialPort.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

// The bit view on the first row and four values of the first four rows in the plot.
void openChangeViews(vexmoor::frmMain& window)
{
    using vexmoor::PlotSignal;
    window.tableView().selectRow(0);
    if (auto* bitView = window.findChild<QAction*>(QStringLiteral("mnuViewBitView")); !bitView->isChecked())
        bitView->trigger();
    auto* plot = window.findChild<vexmoor::PlotPanel*>(QStringLiteral("dockPlot"));
    for (int row = 0; row < 4; ++row) {
        const auto identifier = window.tableModel().identifierOfRow(row);
        if (!identifier)
            continue;
        const std::uint32_t id = identifier->id;
        const bool extended = identifier->extended;
        const PlotSignal values[] = { PlotSignal::ofBytes(id, extended, 0), PlotSignal::ofBit(id, extended, 1, 0),
                                      PlotSignal::ofBytes(id, extended, 0, 2), PlotSignal::ofBit(id, extended, 0, 7) };
        plot->addSignal(values[row]);
    }
}

// The database open and the Signals dock beside the table, every message unfolded.
bool openSignals(vexmoor::frmMain& window, const QString& path)
{
    const QString error = window.controller().dbc().open(path);
    if (!error.isEmpty()) {
        std::cerr << error.toStdString() << '\n';
        return false;
    }
    if (auto* signalsDock = window.findChild<QAction*>(QStringLiteral("mnuViewSignals")); !signalsDock->isChecked())
        signalsDock->trigger();
    return true;
}

// "87 of 100": the signals of the open database that have a value.
std::string decodedSignals(vexmoor::CaptureController& capture)
{
    std::size_t all = 0;
    std::size_t decoded = 0;
    for (const vexmoor::MessageDecoder& message : capture.dbc().decoder().messages()) {
        for (std::size_t index = 0; index < message.definition().signalDefinitions.size(); ++index) {
            const auto* latest = capture.latestSignalValues().latest(message, index);
            ++all;
            decoded += latest != nullptr && latest->value ? 1 : 0;
        }
    }
    return std::to_string(decoded) + " of " + std::to_string(all);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view usageLine = "usage: vexmoor-window-load SOURCE SECONDS [DBC]\n";
    // Answered before the application starts: help needs no screen.
    for (int index = 1; index < argc; ++index) {
        if (std::string_view(argv[index]) == "--help" || std::string_view(argv[index]) == "-h") {
            std::cout << usageLine
                      << "\nRuns the main window on SOURCE (a board's port, slcan:DEVICE or a Qt Serial Bus\n"
                         "address such as virtualcan:can0) for SECONDS, then prints the records counted, how\n"
                         "late the event loop answered and the CPU used. With DBC, that file is open and the\n"
                         "Signals dock shown.\n"
                         "  --help, -h  show this text\n"
                         "Without a screen, run it with QT_QPA_PLATFORM=offscreen or under Xvfb.\n";
            return std::cout.flush() ? 0 : 2;
        }
    }
    QApplication application(argc, argv);
    if (argc != 3 && argc != 4) {
        std::cerr << usageLine;
        return 2;
    }
    vexmoor::QtSerialPort port;
    vexmoor::ConsoleMessageBox messageBox(std::cerr);
    vexmoor::SystemTimeOfDay clock;
    vexmoor::frmMain window(messageBox, port, clock);
    vexmoor::CaptureController& capture = window.controller();
    capture.session().txtMinID().setText("0");
    capture.session().txtAutoFilter().setText("1000000000000");
    window.showAutoFilterThreshold();
    window.show();
    if (argc == 4 && !openSignals(window, QString::fromLocal8Bit(argv[3])))
        return 2;
    const auto address = vexmoor::SourceAddress::parse(argv[1]);
    if (!address.address) {
        std::cerr << address.error << '\n';
        return 2;
    }
    // ROWS_PER_BUS=1: a row per bus and identifier. SECOND_SOURCE: an address opened beside SOURCE
    // through "Add CAN Interface...", on a bus of its own.
    if (qEnvironmentVariableIsSet("ROWS_PER_BUS"))
        capture.setRowsPerBus(true);
    if (!capture.connectTo(*address.address))
        return 2;
    if (const QByteArray second = qgetenv("SECOND_SOURCE"); !second.isEmpty()) {
        const auto secondAddress = vexmoor::SourceAddress::parse(second.toStdString());
        if (!secondAddress.address || !capture.addSource(*secondAddress.address)) {
            std::cerr << "cannot add " << second.toStdString() << '\n';
            return 2;
        }
    }

    const double cpuAtStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    std::vector<double> lateness;
    QElapsedTimer sinceProbe;
    sinceProbe.start();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        lateness.push_back(std::max(0.0, static_cast<double>(sinceProbe.nsecsElapsed()) / 1e6 - 10.0));
        sinceProbe.restart();
    });
    probe.start(10);
    QTimer openViews;
    QObject::connect(&openViews, &QTimer::timeout, &openViews, [&] {
        if (window.tableModel().rowCount() < 4)
            return;
        openViews.stop();
        openChangeViews(window);
    });
    openViews.start(250);
    // CANDIDATES=1: the Candidates panel shown too, with a mark taken every two seconds, so that the
    // ranking weighs every flip against them as the bus runs.
    QTimer marking;
    if (qEnvironmentVariableIsSet("CANDIDATES")) {
        if (auto* candidates = window.findChild<QAction*>(QStringLiteral("mnuViewCandidates"));
            !candidates->isChecked())
            candidates->trigger();
        auto* mark = window.findChild<QAction*>(QStringLiteral("mnuViewMark"));
        QObject::connect(&marking, &QTimer::timeout, mark, &QAction::trigger);
        marking.start(2000);
    }

    const qint64 runMs = static_cast<qint64>(QString::fromLocal8Bit(argv[2]).toDouble() * 1000);
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &stop, [&] {
        if (wall.elapsed() < runMs || capture.session().assembly().isScanning())
            return;
        stop.stop();
        capture.pollNow();
        QApplication::quit();
    });
    stop.start(50);
    QApplication::exec();

    const double cpu = cpuSeconds() - cpuAtStart;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    long long counted = 0;
    const auto& table = capture.session().table();
    for (int position = 1; position <= table.rowCount(); ++position)
        counted += std::stoll(table.cell(position, vexmoor::MessageColumn::MsgCount));
    std::cout << "records counted " << counted << " in " << table.rowCount() << " rows; "
              << capture.session().plotted().count() << " values plotted\n"
              << "probe lateness p50 " << percentile(lateness, 0.5) << " ms, p99 " << percentile(lateness, 0.99)
              << " ms, max " << percentile(lateness, 1.0) << " ms over " << lateness.size() << " ticks\n"
              << "CPU " << cpu << " s over " << seconds << " s = " << 100.0 * cpu / seconds << "% of one core\n";
    if (capture.dbc().isOpen())
        std::cout << decodedSignals(capture) << " signals decoded\n";
    return 0;
}
