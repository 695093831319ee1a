#include "cli/CommandLine.h"

#include "capture/formats/SourceAddress.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace vexmoor {

namespace {

constexpr std::string_view kUsage
    = "Usage: vexmoor [--session FILE]\n"
      "       vexmoor --replay FILE [--interface NAME] [--chunk BYTES] [--min-id TEXT] [--csv OUT]\n"
      "                     [--bit-stats OUT] [--dbc FILE] [--decode OUT] [--session FILE]\n"
      "                     [--save-session OUT] [--rows-per-bus]\n"
      "       vexmoor --capture SOURCE [--seconds S] [--log OUT] [--min-id TEXT] [--csv OUT]\n"
      "                     [--session FILE] [--rows-per-bus]\n"
      "       vexmoor --rank LOG --marks FILE [--top N] [--window BEFORE,AFTER] [--interface NAME]\n"
      "                     [--session FILE] [--save-session OUT] [--rows-per-bus]\n"
      "       vexmoor --dbc FILE [--save-dbc OUT]\n"
      "       vexmoor --anatomy LOG [--interface NAME] [--rows-per-bus] [--save-dbc OUT]\n"
      "\n"
      "Without arguments, opens the message table window.\n"
      "\n"
      "  --session FILE  open the window with the session in FILE (a .vexmoor file): its options,\n"
      "                  ignore lists, names, marks, signals, plot and layout. With --replay,\n"
      "                  --capture or --rank: start from its options, ignore lists, names and\n"
      "                  signals; --rank also takes its marks, window and suppressed bits. What the\n"
      "                  command line gives wins over the session\n"
      "  --save-session OUT  after --replay or --rank, write the session the window would keep:\n"
      "                  the options and lists in force, the names, the signals and the marks\n"
      "  --replay FILE   replay FILE (\"-\" for standard input) without a window: a candump -L log,\n"
      "                  a GVRET CSV, or the bytes the companion board writes to the serial line,\n"
      "                  told apart by their content\n"
      "  --interface NAME  only the frames of this interface of a log (can0, or GVRET's bus number)\n"
      "  --rows-per-bus  a row per bus and identifier, the bus being the interface a frame came\n"
      "                  from (or a session's choice): --csv gets a ninth column \"Bus\", --bit-stats\n"
      "                  starts with a bus column and --rank has one after the rank\n"
      "  --bit-stats OUT  also write how often each bit of each identifier flipped over the whole\n"
      "                  replay, as CSV: id,byte,bit,flips,value\n"
      "  --chunk BYTES   bytes read at a time; a board stream takes them as one serial poll each\n"
      "                  (default 4096)\n"
      "  --capture SOURCE  capture without a window until --seconds pass or Ctrl+C. SOURCE is the\n"
      "                  board's serial port (a port number, or a device path such as /dev/ttyUSB0),\n"
      "                  an slcan adapter (slcan:/dev/ttyACM0, or slcan:/dev/ttyACM0@250k; 500k\n"
      "                  by default), or a Qt Serial Bus interface (socketcan:can0, virtualcan:can0,\n"
      "                  virtualcan:tcp://127.0.0.1:35468/can0)\n"
      "  --seconds S     how long the capture runs (default: until interrupted)\n"
      "  --log OUT       record every frame of the capture to OUT as a candump -L log\n"
      "  --rank LOG      rank every bit of the log's frames by how well its flips follow the marks,\n"
      "                  and write the ranking to standard output as CSV:\n"
      "                  rank,id,byte,bit,marks_hit,changes_elsewhere,score\n"
      "  --marks FILE    the marks: one per line, the time in seconds on the log's clock, then\n"
      "                  optionally # and a note (or a session's marks)\n"
      "  --top N         write only the N best bits (default: every bit that flipped near a mark)\n"
      "  --window BEFORE,AFTER  seconds before and after each mark in which a flip follows it\n"
      "                  (default 1,3; each 0 to 60)\n"
      "  --anatomy LOG   propose the fields of every identifier's data in the log (candump, GVRET CSV\n"
      "                  or the board's records): counters, checksums, constants, flags, enums and\n"
      "                  values, as CSV on standard output:\n"
      "                  id,start_bit,length,byte_order,signed,kind,detail\n"
      "                  (start_bit and byte_order as a DBC file writes them: 1 little endian, 0 big\n"
      "                  endian); with --save-dbc, also as a DBC file\n"
      "  --dbc FILE      a DBC signal database: alone, it is checked and summed up in one line\n"
      "  --save-dbc OUT  write the checked database again to OUT (\"-\" for standard output)\n"
      "  --decode OUT    with --replay and --dbc (or a session's signals): every signal value of\n"
      "                  every frame whose identifier the database defines, as CSV:\n"
      "                  time,interface,id,message,signal,raw,value,unit,text\n"
      "  --min-id TEXT   minimum identifier for a new row (default 250)\n"
      "  --csv OUT       where the table goes when done (default \"-\", standard output)\n"
      "  --help          show this text\n"
      "  --version       show the version\n"
      "\n"
      "Exit status: 0 done; 2 bad arguments, a source that cannot be opened or a file that cannot be\n"
      "written; 3 the capture's device went away (the table is written all the same).\n";

std::optional<std::size_t> chunkSize(const std::string& text)
{
    std::size_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value == 0
        || value > CommandLine::kMaxChunkBytes)
        return std::nullopt;
    return value;
}

std::optional<std::size_t> count(const std::string& text)
{
    std::size_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

std::optional<double> seconds(std::string_view text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value) || value < 0
        || value > CommandLine::kMaxWindowSeconds)
        return std::nullopt;
    return value;
}

// "BEFORE,AFTER", each seconds from 0 to the longest window, not both 0.
std::optional<std::pair<double, double>> window(const std::string& text)
{
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const auto before = seconds(std::string_view(text).substr(0, comma));
    const auto after = seconds(std::string_view(text).substr(comma + 1));
    if (!before || !after || *before + *after <= 0)
        return std::nullopt;
    return std::pair { *before, *after };
}

std::optional<double> duration(const std::string& text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value) || value <= 0
        || value > CommandLine::kMaxSeconds)
        return std::nullopt;
    return value;
}

std::string checkSessionOptions(const CommandLine::Options& options)
{
    using Mode = CommandLine::Mode;
    if (options.saveSessionPath.empty())
        return {};
    if (options.mode != Mode::Replay && options.mode != Mode::Rank)
        return "--save-session writes the session a replay or a ranking leaves: use it with --replay or --rank";
    if (options.saveSessionPath == "-")
        return "--save-session writes a file: give its path, not -";
    for (const std::string* other : { &options.csvPath, &options.bitStatsPath, &options.decodePath }) {
        if (*other == options.saveSessionPath)
            return "--save-session cannot write to '" + options.saveSessionPath + "', where another output goes";
    }
    return {};
}

// The database alone is its own mode; with a replay it decodes the frames.
std::string checkDbcOptions(CommandLine::Options& options)
{
    using Mode = CommandLine::Mode;
    if (!options.sessionPath.empty() && options.mode == Mode::Window && !options.dbcPath.empty())
        return "--session opens the window, a replay, a ranking or a capture with a session: not with --dbc alone";
    if (!options.dbcPath.empty() && options.mode == Mode::Window)
        options.mode = Mode::Dbc;
    if (!options.dbcPath.empty() && options.mode != Mode::Dbc && options.mode != Mode::Replay)
        return "--dbc reads a signal database alone or decodes a replay: use it alone or with --replay";
    if (!options.saveDbcPath.empty() && options.mode != Mode::Dbc && options.mode != Mode::Anatomy)
        return "--save-dbc writes the database that --dbc reads, or the fields --anatomy proposes: use it with --dbc "
               "alone or with --anatomy";
    if (!options.decodePath.empty()
        && (options.mode != Mode::Replay || (options.dbcPath.empty() && options.sessionPath.empty())))
        return "--decode writes the signals of a replay: use it with --replay and --dbc or --session";
    if (options.mode == Mode::Replay && !options.dbcPath.empty() && options.decodePath.empty()
        && options.saveSessionPath.empty())
        return "--dbc with --replay decodes the frames: say where with --decode OUT";
    if (!options.decodePath.empty() && options.decodePath == options.csvPath)
        return options.csvPath == "-" ? "--decode and --csv cannot both write to standard output: give --csv OUT"
                                      : "--decode and --csv cannot both write to '" + options.csvPath + "'";
    if (!options.decodePath.empty() && options.decodePath == options.bitStatsPath)
        return "--decode and --bit-stats cannot both write to '" + options.decodePath + "'";
    return checkSessionOptions(options);
}

// The anatomy writes its CSV to standard output, and its DBC file only where --save-dbc says.
std::string checkAnatomyOptions(const CommandLine::Options& options)
{
    if (!options.sessionPath.empty() || !options.dbcPath.empty() || !options.decodePath.empty()
        || !options.saveSessionPath.empty() || !options.bitStatsPath.empty() || options.minimumId
        || options.csvPath != "-")
        return "--anatomy takes only --interface, --rows-per-bus and --save-dbc";
    if (options.saveDbcPath == "-")
        return "--anatomy writes its CSV to standard output: give --save-dbc a file, not -";
    return {};
}

CommandLine::Parsed failure(std::string error)
{
    return { std::nullopt, std::move(error) };
}

} // namespace

std::string_view CommandLine::usage()
{
    return kUsage;
}

CommandLine::Parsed CommandLine::parse(const std::vector<std::string>& arguments)
{
    Options options;
    bool help = false;
    bool version = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        std::string name = arguments[index];
        std::optional<std::string> value;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (name == "--help" || name == "-h") {
            help = true;
            continue;
        }
        if (name == "--version") {
            version = true;
            continue;
        }
        if (name == "--rows-per-bus" && !value) {
            options.rowsPerBus = true;
            continue;
        }
        if (name != "--replay" && name != "--capture" && name != "--chunk" && name != "--seconds" && name != "--min-id"
            && name != "--csv" && name != "--interface" && name != "--log" && name != "--bit-stats" && name != "--rank"
            && name != "--marks" && name != "--top" && name != "--window" && name != "--dbc" && name != "--save-dbc"
            && name != "--decode" && name != "--session" && name != "--save-session" && name != "--anatomy")
            return failure("unknown argument '" + arguments[index] + "' (see --help)");
        if (!value) {
            if (index + 1 == arguments.size())
                return failure(name + " needs a value (see --help)");
            value = arguments[++index];
        }
        if (name == "--replay" || name == "--capture" || name == "--rank" || name == "--anatomy") {
            const Mode mode = name == "--replay" ? Mode::Replay
                : name == "--capture"            ? Mode::Capture
                : name == "--rank"               ? Mode::Rank
                                                 : Mode::Anatomy;
            if (options.mode != Mode::Window && options.mode != mode)
                return failure("--replay, --capture, --rank and --anatomy cannot be used together");
            options.mode = mode;
            options.source = *value;
        } else if (name == "--chunk") {
            const auto bytes = chunkSize(*value);
            if (!bytes)
                return failure("--chunk needs a whole number of bytes from 1 to " + std::to_string(kMaxChunkBytes)
                               + ", not '" + *value + "'");
            options.chunkBytes = *bytes;
        } else if (name == "--seconds") {
            options.seconds = duration(*value);
            if (!options.seconds)
                return failure("--seconds needs a number of seconds above 0, not '" + *value + "'");
        } else if (name == "--min-id") {
            options.minimumId = *value;
        } else if (name == "--interface") {
            options.interfaceName = *value;
        } else if (name == "--log") {
            options.logPath = *value;
        } else if (name == "--bit-stats") {
            options.bitStatsPath = *value;
        } else if (name == "--dbc") {
            options.dbcPath = *value;
        } else if (name == "--save-dbc") {
            options.saveDbcPath = *value;
        } else if (name == "--session") {
            options.sessionPath = *value;
        } else if (name == "--save-session") {
            options.saveSessionPath = *value;
        } else if (name == "--decode") {
            options.decodePath = *value;
        } else if (name == "--marks") {
            options.marksPath = *value;
        } else if (name == "--top") {
            options.top = count(*value);
            if (!options.top)
                return failure("--top needs a whole number of bits above 0, not '" + *value + "'");
        } else if (name == "--window") {
            options.window = window(*value);
            if (!options.window)
                return failure("--window needs BEFORE,AFTER in seconds, each 0 to 60 and not both 0, not '" + *value
                               + "'");
        } else {
            options.csvPath = *value;
        }
    }
    if (options.rowsPerBus && options.mode != Mode::Replay && options.mode != Mode::Capture
        && options.mode != Mode::Rank && options.mode != Mode::Anatomy)
        return failure("--rows-per-bus keeps a row per bus: use it with --replay, --capture, --rank or --anatomy");
    if (!options.interfaceName.empty() && options.mode != Mode::Replay && options.mode != Mode::Rank
        && options.mode != Mode::Anatomy)
        return failure("--interface chooses among the interfaces of a log: use it with --replay, --rank or --anatomy");
    if (options.mode == Mode::Anatomy) {
        if (const std::string error = checkAnatomyOptions(options); !error.empty())
            return failure(error);
    }
    const bool ranking = options.mode == Mode::Rank;
    if (!ranking && (!options.marksPath.empty() || options.top || options.window))
        return failure("--marks, --top and --window rank the bits of a log: use them with --rank");
    if (ranking && options.marksPath.empty() && options.sessionPath.empty() && !help && !version)
        return failure("--rank needs the marks to rank against: --marks FILE, or a --session with marks");
    if (!options.logPath.empty() && options.mode != Mode::Capture)
        return failure("--log records a capture: use it with --capture");
    if (!options.bitStatsPath.empty() && options.mode != Mode::Replay)
        return failure("--bit-stats counts the flips of a replayed file: use it with --replay");
    if (!options.bitStatsPath.empty() && options.bitStatsPath == options.csvPath)
        return failure("--bit-stats and --csv cannot both write to '" + options.csvPath + "'");
    if (const std::string error = checkDbcOptions(options); !error.empty())
        return failure(error);
    if (options.mode == Mode::Capture) {
        if (const auto address = SourceAddress::parse(options.source); !address.address)
            return failure("--capture " + address.error);
    }
    if (help)
        options.mode = Mode::Help;
    else if (version)
        options.mode = Mode::Version;
    return { options, {} };
}

int CommandLine::fail(std::ostream& err, std::string_view message)
{
    err << "vexmoor: " << message << '\n';
    return 2;
}

} // namespace vexmoor
