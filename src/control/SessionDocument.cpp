#include "control/SessionDocument.h"

#include "capture/changes/PlotSignal.h"
#include "capture/record/BusNames.h"
#include "capture/session/SessionFile.h"
#include "capture/session/SessionItems.h"
#include "control/CaptureController.h"
#include "platform/OutputFile.h"
#include "platform/Timer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace vexmoor {

namespace {

const QString kRecentSetting = QStringLiteral("session/recent");

SessionState::PlotEntry plotEntryOf(const PlotSignal& signal)
{
    SessionState::PlotEntry entry;
    entry.canId = SessionItems::canIdText(signal.id, signal.extended);
    entry.bus = signal.busName;
    if (signal.decoded) {
        entry.message = signal.decoded->message.definition().name;
        entry.signal = signal.decoded->definition().name;
        return entry;
    }
    entry.byte = signal.firstByte;
    entry.bit = signal.bit ? std::optional<int>(*signal.bit) : std::nullopt;
    entry.byteCount = signal.byteCount;
    entry.littleEndian = signal.order == PlotSignal::Order::LittleEndian;
    return entry;
}

std::optional<PlotSignal> plotSignalOf(const SessionState::PlotEntry& entry, const DbcDocument& dbc, BusNames& buses)
{
    const auto [id, extended] = SessionItems::identifierOf(entry.canId);
    if (entry.signal.empty()) {
        const PlotSignal signal = entry.bit
            ? PlotSignal::ofBit(id, extended, entry.byte, *entry.bit)
            : PlotSignal::ofBytes(id, extended, entry.byte, entry.byteCount,
                                  entry.littleEndian ? PlotSignal::Order::LittleEndian : PlotSignal::Order::BigEndian);
        return entry.bus.empty() ? signal : signal.onBus(buses.numberOf(entry.bus), entry.bus);
    }
    const MessageDefinition* message = dbc.database() ? dbc.database()->message(id, extended) : nullptr;
    if (message == nullptr)
        return std::nullopt;
    for (std::size_t index = 0; index < message->signalDefinitions.size(); ++index) {
        if (message->signalDefinitions[index].name == entry.signal)
            return PlotSignal::ofDecoded(*message, index);
    }
    return std::nullopt;
}

} // namespace

SessionDocument::SessionDocument(CaptureController& controller, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
{
    setObjectName(QStringLiteral("sessionDocument"));
}

QString SessionDocument::open(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    const QByteArray bytes = file.readAll();
    const auto read = SessionFile::read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (const auto* error = std::get_if<SessionFile::Error>(&read))
        return QStringLiteral("%1: line %2: %3").arg(name).arg(error->line).arg(QString::fromStdString(error->what));
    restore(std::get<SessionState>(read), path);
    m_path = path;
    m_savedText = SessionFile::write(gather(path));
    remember(path);
    return {};
}

QString SessionDocument::save()
{
    return saveAs(m_path);
}

QString SessionDocument::saveAs(const QString& path)
{
    const std::string text = SessionFile::write(gather(path));
    // Replaced only when whole: a failed write leaves the old file as it was.
    const QString error = OutputFile::write(path, OutputFile::Mode::ReplaceWhole, text);
    if (!error.isEmpty())
        return error;
    m_path = path;
    m_savedText = text;
    remember(path);
    return {};
}

QString SessionDocument::writeCopy(const QString& path) const
{
    return OutputFile::write(path, OutputFile::Mode::ReplaceWhole, SessionFile::write(gather(path)));
}

bool SessionDocument::isModified() const
{
    return SessionFile::write(gather(m_path)) != m_savedText;
}

QStringList SessionDocument::recent() const
{
    return QSettings().value(kRecentSetting).toStringList();
}

void SessionDocument::remember(const QString& path)
{
    QStringList paths = recent();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    while (paths.size() > kRecentCount)
        paths.removeLast();
    QSettings().setValue(kRecentSetting, paths);
    emit changed();
}

SessionState SessionDocument::gather(const QString& sessionPath) const
{
    SessionState state;
    saveControllerItems(state, sessionPath);
    for (const Part& part : m_parts)
        part.save(state);
    return state;
}

void SessionDocument::saveControllerItems(SessionState& state, const QString& sessionPath) const
{
    const CaptureSession& session = m_controller.session();
    state.options.pollIntervalMs = std::to_string(m_controller.pollTimer().interval());
    state.options.purgeIntervalMs = std::to_string(m_controller.purgeTimer().interval());
    state.options.resetIntervalMs = std::to_string(m_controller.resetTimer().interval());
    SessionItems::gatherListsAndNames(session, state);
    SessionItems::gatherMarks(session.ranking(), state);
    state.dbcBus = m_controller.dbcBus().toStdString();
    const DbcDocument& dbc = m_controller.dbc();
    if (dbc.isOpen()) {
        // Beside the session or below it, the path is kept relative, so that the two travel together.
        QString dbcPath = dbc.path();
        const QString relative = QFileInfo(sessionPath).dir().relativeFilePath(dbcPath);
        if (!dbcPath.isEmpty() && !sessionPath.isEmpty() && !relative.startsWith(QStringLiteral("..")))
            dbcPath = relative;
        state.dbc = SessionState::Dbc { dbc.text(), dbcPath.toStdString() };
    }
    const SignalRecorder& plotted = session.plotted();
    for (std::size_t index = 0; index < plotted.count(); ++index)
        state.plotted.push_back(plotEntryOf(plotted.plotSignal(index)));
}

void SessionDocument::restore(const SessionState& state, const QString& sessionPath)
{
    restoreIntervals(state);
    // Through the controller, so that the views hear of it; the lists then go into the rows as keyed.
    m_controller.setRowsPerBus(state.rowsPerBus);
    m_controller.setDbcBus(QString::fromStdString(state.dbcBus));
    SessionItems::applyListsAndNames(state, m_controller.session());
    SessionItems::applyMarks(state, m_controller.session().ranking());
    restoreDbcAndPlot(state, sessionPath);
    for (const Part& part : m_parts)
        part.restore(state);
}

void SessionDocument::restoreIntervals(const SessionState& state)
{
    const std::pair<const std::string*, Timer*> intervals[]
        = { { &state.options.pollIntervalMs, &m_controller.pollTimer() },
            { &state.options.purgeIntervalMs, &m_controller.purgeTimer() },
            { &state.options.resetIntervalMs, &m_controller.resetTimer() } };
    for (const auto& [text, timer] : intervals) {
        // The file was checked: an interval there is a whole number that fits.
        if (!text->empty())
            timer->setInterval(std::stoi(*text));
    }
}

void SessionDocument::restoreDbcAndPlot(const SessionState& state, const QString& sessionPath)
{
    DbcDocument& dbc = m_controller.dbc();
    if (state.dbc) {
        // A relative path is where the session file lies; the file is only where Save DBC writes.
        QString path = QString::fromStdString(state.dbc->path);
        if (!path.isEmpty() && QFileInfo(path).isRelative())
            path = QFileInfo(sessionPath).dir().filePath(path);
        dbc.openText(state.dbc->text, path, false);
    } else {
        dbc.close();
    }
    SignalRecorder& plotted = m_controller.session().plotted();
    while (plotted.count() > 0)
        plotted.remove(plotted.count() - 1);
    for (const SessionState::PlotEntry& entry : state.plotted) {
        if (const std::optional<PlotSignal> signal
            = plotSignalOf(entry, dbc, m_controller.session().ingestion().buses()))
            plotted.add(*signal);
    }
}

} // namespace vexmoor
