#include "cli/CaptureCommand.h"

#include "capture/formats/TableCsvWriter.h"
#include "cli/ConsoleMessageBox.h"
#include "cli/CsvDestination.h"
#include "cli/HeadlessSession.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "platform/Timer.h"
#include "sources/LogWriter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <csignal>
#include <ostream>

namespace vexmoor {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void requestStop(int)
{
    g_stopRequested = 1;
}

// Ctrl+C and a polite kill end the capture with the table written, not lost.
class StopSignals final {
public:
    StopSignals()
    {
        g_stopRequested = 0;
        m_previousInterrupt = std::signal(SIGINT, requestStop);
        m_previousTerminate = std::signal(SIGTERM, requestStop);
    }
    ~StopSignals()
    {
        std::signal(SIGINT, m_previousInterrupt);
        std::signal(SIGTERM, m_previousTerminate);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    void (*m_previousInterrupt)(int) = SIG_DFL;
    void (*m_previousTerminate)(int) = SIG_DFL;
};

constexpr int kStopCheckIntervalMs = 50;
// The capture ended early, its table written: apart from a refusal (2), so that a script can tell.
constexpr int kDeviceLostStatus = 3;

} // namespace

CaptureCommand::CaptureCommand(std::ostream& standardOutput, std::ostream& standardError, TimeOfDaySource& clock,
                               SerialPort& port)
    : m_out(standardOutput)
    , m_err(standardError)
    , m_clock(clock)
    , m_port(port)
{
}

int CaptureCommand::run(const CommandLine::Options& options)
{
    ConsoleMessageBox messageBox(m_err);
    CaptureController controller(m_port, m_clock, CaptureController::Upkeep::Off);
    const CaptureMessageBoxes messages(controller, messageBox);
    CaptureSession& session = controller.session();
    HeadlessSession headless;
    if (std::string error; !headless.load(options, error))
        return CommandLine::fail(m_err, error);
    headless.applyTo(session, options);
    // The poll interval decides how the board's line is read; the upkeep does not run here.
    if (const std::string& poll = headless.state().options.pollIntervalMs; !poll.empty())
        controller.pollTimer().setInterval(std::stoi(poll));

    CsvDestination destination(options.csvPath);
    if (!destination.open())
        return CommandLine::fail(m_err, "cannot write '" + options.csvPath + "': " + destination.reason());

    // The command line has read the address already.
    const SourceAddress address = *SourceAddress::parse(options.source).address;
    if (!controller.connectTo(address))
        return 2;
    // A device that goes away ends the capture; the table of what came before is still written.
    QString lostReason;
    QObject::connect(&controller, &CaptureController::sourceLost, &controller,
                     [&lostReason](const QString& reason) { lostReason = reason; });
    // Nothing is read before the event loop runs, so the log still starts with the first record;
    // opened after the port, it is not emptied for a port that cannot be opened.
    if (!options.logPath.empty() && !controller.startLogging(QString::fromStdString(options.logPath)))
        return 2;
    bool logFailed = false;
    QObject::connect(&controller.logWriter(), &LogWriter::failed, &controller, [&logFailed] { logFailed = true; });

    const StopSignals stopSignals;
    const QDeadlineTimer deadline = options.seconds ? QDeadlineTimer(static_cast<qint64>(*options.seconds * 1000.0))
                                                    : QDeadlineTimer(QDeadlineTimer::Forever);
    Timer stopCheck(QStringLiteral("stopCheck"), kStopCheckIntervalMs, true);
    QObject::connect(&stopCheck, &Timer::tick, &stopCheck, [&] {
        // The last poll must not start inside a scan's yield; the next check comes soon enough.
        const bool ending = g_stopRequested != 0 || deadline.hasExpired() || !lostReason.isEmpty();
        if (!ending || session.assembly().isScanning())
            return;
        stopCheck.setEnabled(false);
        controller.stopTimers();
        controller.pollNow();
        controller.stopLogging();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    TableCsvWriter::write(session.table(), destination.stream(m_out),
                          session.rowsPerBus() ? &session.ingestion().buses() : nullptr);
    if (!destination.commit(m_out)) {
        const std::string where = options.csvPath == "-" ? "standard output" : "'" + options.csvPath + "'";
        return CommandLine::fail(m_err, "cannot write " + where + ": " + destination.reason());
    }
    if (!lostReason.isEmpty()) {
        m_err << "vexmoor: Disconnected: " << lostReason.toStdString() << '\n';
        return kDeviceLostStatus;
    }
    // The table is whole, but the log asked for is not: its reason is already on standard error.
    return logFailed ? 2 : 0;
}

} // namespace vexmoor
