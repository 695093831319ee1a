#include "BoardOptions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vexmoor::board {

namespace {

// Long enough for any soak run, short enough that a deadline in steady_clock ticks cannot overflow.
constexpr double maximumSeconds = 1e9;
constexpr std::uint64_t maximumBaud = 1'000'000'000;
constexpr std::uint64_t lastClockMs = 59'999;

std::invalid_argument badValue(std::string_view option, std::string_view text, std::string_view expected)
{
    return std::invalid_argument(std::string(option) + ": '" + std::string(text) + "' is not " + std::string(expected));
}

std::uint64_t readWholeNumber(std::string_view option, std::string_view text, std::uint64_t minimum,
                              std::uint64_t maximum, std::string_view expected)
{
    // from_chars takes no sign, no blanks and no base prefix, and reports overflow, so "12x", "-3",
    // " 7" and a 30-digit number are all refused.
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum || value > maximum)
        throw badValue(option, text, expected);
    return value;
}

double readFraction(std::string_view option, std::string_view text, double minimum, double maximum, bool minimumAllowed,
                    std::string_view expected)
{
    double value = 0;
    // A leading minus is refused outright so that "-0" does not slip through as zero.
    const bool signedText = !text.empty() && (text.front() == '-' || text.front() == '+');
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || signedText || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)
        || value > maximum || value < minimum || (!minimumAllowed && value == minimum))
        throw badValue(option, text, expected);
    return value;
}

const std::vector<std::string_view> valueOptions
    = { "--protocol", "--link", "--device", "--file",          "--records",     "--ids",    "--change",
        "--seed",     "--baud", "--delay",  "--drain-seconds", "--clock-start", "--seconds" };

bool takesValue(std::string_view option)
{
    for (const auto candidate : valueOptions) {
        if (candidate == option)
            return true;
    }
    return false;
}

BoardOptions::Protocol readProtocol(std::string_view text)
{
    if (text == "board")
        return BoardOptions::Protocol::Board;
    if (text == "slcan")
        return BoardOptions::Protocol::Slcan;
    throw badValue("--protocol", text, "a protocol: board or slcan");
}

// Options that make sense only for one protocol are refused for the other rather than ignored.
void checkProtocolOptions(const BoardOptions& options, bool clockStartSeen)
{
    if (options.protocol == BoardOptions::Protocol::Slcan) {
        if (!options.devicePath.empty())
            throw std::invalid_argument("--protocol slcan reads the program's commands from its pseudo-terminal, "
                                        "so it cannot go with --device");
        return;
    }
    if (!options.listenOnly)
        throw std::invalid_argument("--no-listen-only describes the slcan adapter: add --protocol slcan");
    if (clockStartSeen)
        throw std::invalid_argument("--clock-start sets the slcan adapter's clock: add --protocol slcan");
}

} // namespace

BoardOptions BoardOptions::parse(const std::vector<std::string_view>& arguments)
{
    BoardOptions options;
    bool generatorOptionSeen = false;
    bool clockStartSeen = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        std::string_view option = arguments[index];
        std::string_view value;
        bool hasValue = false;
        if (const auto equals = option.find('='); option.starts_with("--") && equals != std::string_view::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            hasValue = true;
        }
        if (takesValue(option)) {
            if (!hasValue) {
                if (index + 1 >= arguments.size())
                    throw std::invalid_argument(std::string(option) + " needs a value");
                value = arguments[++index];
            }
        } else if (hasValue) {
            throw std::invalid_argument(std::string(option) + " takes no value");
        }

        if (option == "--help" || option == "-h") {
            options.showHelp = true;
        } else if (option == "--protocol") {
            options.protocol = readProtocol(value);
        } else if (option == "--no-listen-only") {
            options.listenOnly = false;
        } else if (option == "--clock-start") {
            options.clockStartMs = static_cast<std::uint32_t>(
                readWholeNumber(option, value, 0, lastClockMs, "a number of milliseconds from 0 to 59999"));
            clockStartSeen = true;
        } else if (option == "--link") {
            if (value.empty())
                throw std::invalid_argument("--link needs a path");
            options.linkPath = value;
        } else if (option == "--device") {
            if (value.empty())
                throw std::invalid_argument("--device needs a path");
            options.devicePath = value;
        } else if (option == "--file") {
            if (value.empty())
                throw std::invalid_argument("--file needs a path");
            options.filePath = value;
        } else if (option == "--loop") {
            options.loop = true;
        } else if (option == "--no-startup-line") {
            options.startupLine = false;
        } else if (option == "--quiet") {
            options.quiet = true;
        } else if (option == "--records") {
            options.records = readWholeNumber(option, value, 0, std::numeric_limits<std::uint64_t>::max(),
                                              "a whole number of records (0 or more)");
            generatorOptionSeen = true;
        } else if (option == "--ids") {
            options.identifierCount
                = static_cast<unsigned>(readWholeNumber(option, value, 1, 2048, "a whole number from 1 to 2048"));
            generatorOptionSeen = true;
        } else if (option == "--change") {
            options.changeShare = readFraction(option, value, 0, 1, true, "a share from 0 to 1");
            generatorOptionSeen = true;
        } else if (option == "--seed") {
            options.seed = readWholeNumber(option, value, 0, std::numeric_limits<std::uint64_t>::max(),
                                           "a whole number from 0 to 18446744073709551615");
            generatorOptionSeen = true;
        } else if (option == "--baud") {
            options.baud = readWholeNumber(option, value, 0, maximumBaud,
                                           "a whole number of bits per second from 0 to 1000000000");
        } else if (option == "--delay") {
            options.delaySeconds
                = readFraction(option, value, 0, maximumSeconds, true, "a number of seconds (0 or more)");
        } else if (option == "--seconds") {
            options.stopAfterSeconds
                = readFraction(option, value, 0, maximumSeconds, false, "a number of seconds greater than 0");
        } else if (option == "--drain-seconds") {
            options.drainSeconds
                = readFraction(option, value, 0, maximumSeconds, true, "a number of seconds (0 or more)");
        } else if (option.starts_with("-")) {
            throw std::invalid_argument("unknown option '" + std::string(option) + "'");
        } else {
            throw std::invalid_argument("unexpected argument '" + std::string(option) + "'");
        }
    }

    if (options.showHelp)
        return options;
    if (!options.linkPath.empty() && !options.devicePath.empty())
        throw std::invalid_argument("--link makes a link to the pseudo-terminal, so it cannot go with --device");
    if (!options.filePath.empty() && generatorOptionSeen)
        throw std::invalid_argument("--records, --ids, --change and --seed describe generated records, not --file");
    if (options.loop && options.filePath.empty())
        throw std::invalid_argument("--loop repeats a --file; generated records are counted with --records");
    checkProtocolOptions(options, clockStartSeen);
    return options;
}

std::string BoardOptions::usage()
{
    return R"usage(Usage: vexmoor-board [OPTIONS]

Stands in for the CAN bus companion board on a serial line: writes "CAN BUS Shield init ok!" and then
one record such as "<680,1,16,255,23,0,0,0,0,>" per frame, each followed by CR LF, at the pace of
the line speed. With --protocol slcan it stands in for an slcan (LAWICEL) USB CAN adapter instead.

What to stand in for:
  --protocol P         board (the default) or slcan: an adapter that starts closed, answers the
                       commands written to it (CR accepted, BEL refused) and, only while open,
                       sends each record that is a CAN frame as an slcan frame line ("t2A88...",
                       with its 4-digit millisecond clock after "Z1"); records that are no CAN
                       frame are skipped. It never sends on the bus: transmit commands are refused
  --no-listen-only     slcan: the adapter has no listen-only mode and refuses "L"
  --clock-start MS     slcan: the adapter's millisecond clock when it is plugged in, 0 to 59999
                       (default 0); it wraps to 0 after 59999

Where to write (by default a new pseudo-terminal, whose path is printed on standard output):
  --link PATH          also make the symbolic link PATH to the pseudo-terminal (an existing
                       symbolic link there is replaced); it is removed on exit
  --device PATH        write to this existing device or file instead (a terminal device is put
                       into raw mode)

What to write (by default generated records):
  --file FILE          the bytes of FILE, exactly as they stand
  --loop               repeat FILE until --seconds or a signal ends the run
  --records N          number of generated records (default 1000)
  --ids K              distinct 11-bit identifiers, 1 to 2048 (default 64)
  --change P           share of the records that change their identifier's data, 0 to 1
                       (default 0.1); the others repeat it exactly (an identifier's first
                       record counts as neither)
  --seed S             seed of the generator; the same seed gives the same bytes (default 1)
  --no-startup-line    leave out the start-up line (for a file that holds one already); the slcan
                       adapter writes none

How to write:
  --baud B             line speed in bits per second, 10 bits a byte (default 38400);
                       0 writes as fast as the reader takes the bytes
  --delay S            wait S seconds before the start-up line, or before the slcan adapter
                       answers (default 0)
  --seconds S          stop writing after S seconds, even before the stream has ended
  --drain-seconds S    when the stream has ended, wait up to S seconds for the reader to take
                       every byte still unread (default 10)
  --quiet              do not print the summary line
  --help               print this text

At exit, standard error gets "vexmoor-board: wrote R records (B bytes)", R counting the records
whose closing '>' was written; with --protocol slcan "vexmoor-board: wrote F frames (B bytes),
skipped K records", F counting the frame lines written up to their CR and K the records that are
no CAN frame. SIGINT and SIGTERM stop the writing at once.
Exit status: 0 done, 1 the reader left bytes unread or a write failed, 2 bad options or a file,
device or link that cannot be used.
)usage";
}

} // namespace vexmoor::board
