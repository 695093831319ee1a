#include "app/ReplayCommand.h"

#include "app/CsvDestination.h"

#include "capture/CaptureSession.h"
#include "capture/TableCsvWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>

namespace vexmoor {

namespace {

std::string reasonOfErrno()
{
    return std::strerror(errno);
}

} // namespace

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
    std::ifstream inputFile;
    if (inputPath != "-") {
        std::error_code error;
        if (std::filesystem::is_directory(inputPath, error))
            return fail("cannot read '" + inputPath + "': " + std::strerror(EISDIR));
        inputFile.open(inputPath, std::ios::binary);
        if (!inputFile)
            return fail("cannot read '" + inputPath + "': " + reasonOfErrno());
    }

    // The table goes to a file beside the destination first and takes its name only when complete, so
    // a failed run never leaves a partial CSV that looks like a finished one. The file is made before
    // the replay so that a destination that cannot be written fails at once.
    CsvDestination destination(options.csvPath);
    if (!destination.open())
        return fail("cannot write '" + options.csvPath + "': " + destination.reason());

    std::istream& input = inputPath == "-" ? m_in : inputFile;
    if (!replayStream(input, options.chunkBytes, session)) {
        const std::string reason = reasonOfErrno();
        destination.discard();
        return fail("cannot read " + (inputPath == "-" ? std::string("standard input") : "'" + inputPath + "'") + ": "
                    + reason);
    }

    TableCsvWriter::write(session.table(), destination.stream(m_out));
    if (!destination.commit(m_out)) {
        const std::string where = options.csvPath == "-" ? "standard output" : "'" + options.csvPath + "'";
        return fail("cannot write " + where + ": " + destination.reason());
    }
    return 0;
}

bool ReplayCommand::replayStream(std::istream& input, std::size_t chunkBytes, CaptureSession& session)
{
    std::string buffer(chunkBytes, '\0');
    while (input) {
        input.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto received = static_cast<std::size_t>(input.gcount());
        if (received > 0)
            session.assembly().poll(buffer.substr(0, received));
    }
    return !input.bad();
}

int ReplayCommand::fail(const std::string& message)
{
    m_err << "vexmoor: " << message << '\n';
    return 2;
}

} // namespace vexmoor
