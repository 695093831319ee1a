#include "app/Program.h"

#include "app/SessionControls.h"
#include "app/frmMain.h"
#include "capture/record/SystemTimeOfDay.h"
#include "cli/AnatomyCommand.h"
#include "cli/CaptureCommand.h"
#include "cli/CommandLine.h"
#include "cli/DbcCommand.h"
#include "cli/RankCommand.h"
#include "cli/ReplayCommand.h"
#include "platform/QtSerialPort.h"
#include "platform/WidgetMessageBox.h"

#include <QApplication>

#include <iostream>

namespace vexmoor {

int Program::run(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const auto parsed = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "vexmoor: " << parsed.error << '\n';
        return 2;
    }
    const CommandLine::Options& options = *parsed.options;
    SystemTimeOfDay clock;
    switch (options.mode) {
    case CommandLine::Mode::Help:
        std::cout << CommandLine::usage();
        return 0;
    case CommandLine::Mode::Version:
        std::cout << "vexmoor " << VEXMOOR_VERSION << '\n';
        return 0;
    case CommandLine::Mode::Replay:
        return ReplayCommand(std::cin, std::cout, std::cerr, clock).run(options);
    case CommandLine::Mode::Rank:
        return RankCommand(std::cin, std::cout, std::cerr).run(options);
    case CommandLine::Mode::Anatomy:
        return AnatomyCommand(std::cin, std::cout, std::cerr).run(options);
    case CommandLine::Mode::Dbc:
        return DbcCommand(std::cout, std::cerr).run(options);
    case CommandLine::Mode::Capture: {
        QCoreApplication application(argc, argv);
        QtSerialPort port;
        return CaptureCommand(std::cout, std::cerr, clock, port).run(options);
    }
    case CommandLine::Mode::Window:
        break;
    }
    QApplication application(argc, argv);
    // Where the window keeps what the user chose, such as the table's hidden columns.
    QCoreApplication::setOrganizationName(QStringLiteral("Vexmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Vexmoor"));
    QtSerialPort port;
    WidgetMessageBox messageBox;
    frmMain window(messageBox, port, clock);
    window.show();
    // A session that cannot be read says so once the window is up, which then starts as usual.
    if (!options.sessionPath.empty())
        window.findChild<SessionControls*>()->openSession(QString::fromStdString(options.sessionPath));
    return QApplication::exec();
}

} // namespace vexmoor
