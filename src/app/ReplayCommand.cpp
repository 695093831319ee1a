#include "app/ReplayCommand.h"

#include "app/CsvDestination.h"

#include "capture/CaptureSession.h"
#include "capture/TableCsvWriter.h"

#include <QFile>

#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

namespace vexmoor {

ReplayCommand::ReplayCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError,
                             TimeOfDaySource& clock)
    : m_in(standardInput)
    , m_out(standardOutput)
    , m_err(standardError)
    , m_clock(clock)
{
}

int ReplayCommand::run(const CommandLine::Options& options)
{
    CaptureSession session(m_clock);
    if (options.minimumId)
        session.txtMinID().setText(*options.minimumId);

    const std::string& inputPath = options.source;
    QFile inputFile(QString::fromStdString(inputPath));
    if (inputPath != "-") {
        std::error_code error;
        if (std::filesystem::is_directory(inputPath, error))
            return fail("cannot read '" + inputPath
                        + "': " + std::make_error_code(std::errc::is_a_directory).message());
        if (!inputFile.open(QIODevice::ReadOnly))
            return fail("cannot read '" + inputPath + "': " + inputFile.errorString().toStdString());
    }

    // The table goes to a file beside the destination first and takes its name only when complete, so
    // a failed run never leaves a partial CSV that looks like a finished one. The file is made before
    // the replay so that a destination that cannot be written fails at once.
    CsvDestination destination(options.csvPath);
    if (!destination.open())
        return fail("cannot write '" + options.csvPath + "': " + destination.reason());

    const std::string readError = inputPath == "-" ? replayStream(m_in, options.chunkBytes, session)
                                                   : replayFile(inputFile, options.chunkBytes, session);
    if (!readError.empty()) {
        destination.discard();
        return fail("cannot read " + (inputPath == "-" ? std::string("standard input") : "'" + inputPath + "'") + ": "
                    + readError);
    }

    TableCsvWriter::write(session.table(), destination.stream(m_out));
    if (!destination.commit(m_out)) {
        const std::string where = options.csvPath == "-" ? "standard output" : "'" + options.csvPath + "'";
        return fail("cannot write " + where + ": " + destination.reason());
    }
    return 0;
}

std::string ReplayCommand::replayStream(std::istream& input, std::size_t chunkBytes, CaptureSession& session)
{
    std::string buffer(chunkBytes, '\0');
    while (input) {
        input.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto received = static_cast<std::size_t>(input.gcount());
        if (received > 0)
            session.assembly().poll(buffer.substr(0, received));
    }
    // A stream keeps no reason of its own for a failed read.
    return input.bad() ? "the input stream failed" : "";
}

std::string ReplayCommand::replayFile(QFile& input, std::size_t chunkBytes, CaptureSession& session)
{
    std::string buffer(chunkBytes, '\0');
    for (;;) {
        const qint64 received = input.read(buffer.data(), static_cast<qint64>(buffer.size()));
        if (received < 0)
            return input.errorString().toStdString();
        if (received == 0)
            return {};
        session.assembly().poll(buffer.substr(0, static_cast<std::size_t>(received)));
    }
}

int ReplayCommand::fail(const std::string& message)
{
    m_err << "vexmoor: " << message << '\n';
    return 2;
}

} // namespace vexmoor
