#include "cli/HeadlessSession.h"

#include "capture/formats/DbcReader.h"
#include "capture/formats/DbcWriter.h"
#include "capture/record/CaptureSession.h"
#include "capture/session/SessionFile.h"
#include "capture/session/SessionItems.h"
#include "cli/DbcFile.h"
#include "platform/OutputFile.h"

#include <QFile>

#include <filesystem>

namespace vexmoor {

namespace {

namespace fs = std::filesystem;

// Relative to the folder of the session that names it, so that the path means the same wherever the
// command runs; on saving it becomes relative again when it lies beside or below the new file.
std::string absoluteBeside(const std::string& sessionPath, const std::string& path)
{
    if (path.empty() || fs::path(path).is_absolute())
        return path;
    return fs::absolute(fs::path(sessionPath).parent_path() / path).lexically_normal().string();
}

std::string relativeWhereInside(const std::string& sessionPath, const std::string& path)
{
    if (path.empty())
        return path;
    const fs::path folder = fs::absolute(sessionPath).parent_path();
    const fs::path relative = fs::absolute(path).lexically_normal().lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..")
        return path;
    return relative.string();
}

void fillIntervals(SessionState::Options& options)
{
    const std::pair<std::string*, int> intervals[]
        = { { &options.pollIntervalMs, CaptureSession::kDefaultPollIntervalMs },
            { &options.purgeIntervalMs, CaptureSession::kDefaultPurgeIntervalMs },
            { &options.resetIntervalMs, CaptureSession::kDefaultResetIntervalMs } };
    for (const auto& [text, interval] : intervals) {
        if (text->empty())
            *text = std::to_string(interval);
    }
}

} // namespace

bool HeadlessSession::load(const CommandLine::Options& options, std::string& error)
{
    if (options.sessionPath.empty())
        return true;
    QFile file(QString::fromStdString(options.sessionPath));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read '" + options.sessionPath + "': " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    const auto read = SessionFile::read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (const auto* refusal = std::get_if<SessionFile::Error>(&read)) {
        error = fs::path(options.sessionPath).filename().string() + ": line " + std::to_string(refusal->line) + ": "
            + refusal->what;
        return false;
    }
    m_state = std::get<SessionState>(read);
    if (m_state.dbc)
        m_state.dbc->path = absoluteBeside(options.sessionPath, m_state.dbc->path);
    return true;
}

void HeadlessSession::applyTo(CaptureSession& session, const CommandLine::Options& options)
{
    if (options.minimumId)
        m_state.options.minimumId = *options.minimumId;
    m_state.rowsPerBus = m_state.rowsPerBus || options.rowsPerBus;
    SessionItems::applyListsAndNames(m_state, session);
}

bool HeadlessSession::takeDatabase(const CommandLine::Options& options, std::optional<SignalDatabase>& database,
                                   std::string& error)
{
    if (!options.dbcPath.empty()) {
        database = DbcFile::load(options.dbcPath, error);
        if (!database)
            return false;
        m_state.dbc = SessionState::Dbc { DbcWriter::write(*database), fs::absolute(options.dbcPath).string() };
        return true;
    }
    // The file reader has checked that the session's text reads.
    if (m_state.dbc)
        database = DbcReader::read(m_state.dbc->text).database;
    return true;
}

std::string HeadlessSession::save(const CommandLine::Options& options, const CaptureSession& session,
                                  const BitRanking* ranking) const
{
    if (options.saveSessionPath.empty())
        return {};
    SessionState state = m_state;
    fillIntervals(state.options);
    SessionItems::gatherListsAndNames(session, state);
    if (ranking != nullptr)
        SessionItems::gatherMarks(*ranking, state);
    if (state.dbc)
        state.dbc->path = relativeWhereInside(options.saveSessionPath, state.dbc->path);
    if (options.source != "-")
        state.lastLog = fs::absolute(options.source).lexically_normal().string();
    const QString error = OutputFile::write(QString::fromStdString(options.saveSessionPath),
                                            OutputFile::Mode::ReplaceWhole, SessionFile::write(state));
    return error.isEmpty() ? std::string() : "cannot write '" + options.saveSessionPath + "': " + error.toStdString();
}

} // namespace vexmoor
