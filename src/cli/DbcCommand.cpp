#include "cli/DbcCommand.h"

#include "capture/formats/DbcWriter.h"
#include "cli/CsvDestination.h"
#include "cli/DbcFile.h"

#include <ostream>

namespace vexmoor {

DbcCommand::DbcCommand(std::ostream& standardOutput, std::ostream& standardError)
    : m_out(standardOutput)
    , m_err(standardError)
{
}

int DbcCommand::run(const CommandLine::Options& options)
{
    std::string error;
    const std::optional<SignalDatabase> database = DbcFile::load(options.dbcPath, error);
    if (!database)
        return CommandLine::fail(m_err, error);
    if (options.saveDbcPath.empty()) {
        std::size_t signalCount = 0;
        for (const MessageDefinition& message : database->messages())
            signalCount += message.signalDefinitions.size();
        m_out << options.dbcPath << ": " << database->messages().size() << " messages, " << signalCount << " signals, "
              << database->keptStatements.size() << " statements kept unread\n";
        return m_out.flush() ? 0 : CommandLine::fail(m_err, "cannot write standard output");
    }
    // Written beside the destination and renamed when whole, as every file the program writes.
    CsvDestination destination(options.saveDbcPath);
    if (!destination.open())
        return CommandLine::fail(m_err, "cannot write '" + options.saveDbcPath + "': " + destination.reason());
    destination.stream(m_out) << DbcWriter::write(*database);
    if (!destination.commit(m_out))
        return CommandLine::fail(
            m_err,
            "cannot write "
                + (options.saveDbcPath == "-" ? std::string("standard output") : "'" + options.saveDbcPath + "'") + ": "
                + destination.reason());
    return 0;
}

} // namespace vexmoor
