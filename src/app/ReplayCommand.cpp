#include "app/ReplayCommand.h"

#include "app/CsvDestination.h"

#include "capture/CaptureSession.h"
#include "capture/TableCsvWriter.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace vexmoor {

namespace {

constexpr std::string_view kUsage
    = "Usage: vexmoor --replay FILE [--chunk BYTES] [--min-id TEXT] [--csv OUT]\n"
      "\n"
      "Replays FILE (\"-\" for standard input) as the bytes the companion board writes to\n"
      "the serial line, without a window, and writes the message table as CSV.\n"
      "\n"
      "  --replay FILE   the serial stream to replay\n"
      "  --chunk BYTES   bytes taken by each serial poll (default 4096)\n"
      "  --min-id TEXT   minimum identifier for a new row (default 250)\n"
      "  --csv OUT       where the table goes (default \"-\", standard output)\n"
      "  --help          show this text\n"
      "  --version       show the version\n";

std::string reasonOfErrno()
{
    return std::strerror(errno);
}

std::optional<std::size_t> chunkSize(const std::string& text)
{
    std::size_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value == 0
        || value > ReplayCommand::kMaxChunkBytes)
        return std::nullopt;
    return value;
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

int ReplayCommand::run(const std::vector<std::string>& arguments)
{
    const auto options = parse(arguments);
    if (!options)
        return kExitFailure;
    if (options->help) {
        m_out << kUsage;
        return 0;
    }
    if (options->version) {
        m_out << "vexmoor " << VEXMOOR_VERSION << '\n';
        return 0;
    }
    if (!options->inputPath)
        return fail("nothing to replay: give --replay FILE (see --help)");
    return replay(*options);
}

std::optional<ReplayCommand::Options> ReplayCommand::parse(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        std::string name = arguments[index];
        std::optional<std::string> value;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--version") {
            options.version = true;
            continue;
        }
        if (name != "--replay" && name != "--chunk" && name != "--min-id" && name != "--csv") {
            fail("unknown argument '" + arguments[index] + "' (see --help)");
            return std::nullopt;
        }
        if (!value) {
            if (index + 1 == arguments.size()) {
                fail(name + " needs a value (see --help)");
                return std::nullopt;
            }
            value = arguments[++index];
        }
        if (name == "--replay") {
            options.inputPath = *value;
        } else if (name == "--chunk") {
            const auto bytes = chunkSize(*value);
            if (!bytes) {
                fail("--chunk needs a whole number of bytes from 1 to " + std::to_string(kMaxChunkBytes) + ", not '"
                     + *value + "'");
                return std::nullopt;
            }
            options.chunkBytes = *bytes;
        } else if (name == "--min-id") {
            options.minimumId = *value;
        } else {
            options.csvPath = *value;
        }
    }
    return options;
}

int ReplayCommand::replay(const Options& options)
{
    CaptureSession session(m_clock);
    if (options.minimumId)
        session.txtMinID().setText(*options.minimumId);

    const std::string& inputPath = *options.inputPath;
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
    if (!replayStream(input, options, session)) {
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

bool ReplayCommand::replayStream(std::istream& input, const Options& options, CaptureSession& session)
{
    std::string buffer(options.chunkBytes, '\0');
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
    return kExitFailure;
}

} // namespace vexmoor
