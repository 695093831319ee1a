#include "InjectOptions.h"

#include <charconv>
#include <stdexcept>

namespace vexmoor::inject {

namespace {

std::uint64_t readWholeNumber(std::string_view option, std::string_view text, std::uint64_t minimum,
                              std::uint64_t maximum)
{
    // from_chars takes no sign, blank or base prefix, so "-3", " 7" and "0x10" are refused.
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum || value > maximum)
        throw std::invalid_argument(std::string(option) + ": '" + std::string(text) + "' is not a whole number from "
                                    + std::to_string(minimum) + " to " + std::to_string(maximum));
    return value;
}

SwitchMode readMode(std::string_view text)
{
    if (text == "toggle")
        return SwitchMode::Toggle;
    if (text == "held")
        return SwitchMode::Held;
    throw std::invalid_argument("--mode: '" + std::string(text) + "' is neither toggle nor held");
}

void requirePath(std::string_view option, const std::string& path)
{
    if (path.empty())
        throw std::invalid_argument(std::string(option) + " is required");
}

} // namespace

InjectOptions InjectOptions::parse(const std::vector<std::string_view>& arguments)
{
    InjectOptions options;
    bool pressesGiven = false;
    bool seedGiven = false;
    bool modeGiven = false;
    for (std::size_t index = 0; index < arguments.size(); index += 2) {
        const std::string_view option = arguments[index];
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            return options;
        }
        if (index + 1 == arguments.size())
            throw std::invalid_argument(std::string(option) + " needs a value");
        const std::string_view value = arguments[index + 1];
        if (option == "--log") {
            options.logPath = value;
        } else if (option == "--out-log") {
            options.outLogPath = value;
        } else if (option == "--out-marks") {
            options.outMarksPath = value;
        } else if (option == "--out-truth") {
            options.outTruthPath = value;
        } else if (option == "--presses") {
            options.presses = static_cast<int>(readWholeNumber(option, value, 1, kMaxPresses));
            pressesGiven = true;
        } else if (option == "--mode") {
            options.mode = readMode(value);
            modeGiven = true;
        } else if (option == "--seed") {
            options.seed = readWholeNumber(option, value, 0, UINT64_MAX);
            seedGiven = true;
        } else {
            throw std::invalid_argument("unknown option '" + std::string(option) + "'");
        }
    }
    requirePath("--log", options.logPath);
    requirePath("--out-log", options.outLogPath);
    requirePath("--out-marks", options.outMarksPath);
    requirePath("--out-truth", options.outTruthPath);
    // No defaults for these: a benchmark that forgot one would quietly measure the same case over and over.
    if (!pressesGiven || !modeGiven || !seedGiven)
        throw std::invalid_argument("--presses, --mode and --seed are required");
    return options;
}

std::string InjectOptions::usage()
{
    return "usage: vexmoor-inject-switch --log IN --out-log OUT --out-marks MARKS --out-truth TRUTH"
           " --presses K --mode toggle|held --seed N\n"
           "\n"
           "Plants a switch in a bit of a candump -L capture that never moves, and writes the marks a user\n"
           "would set for its presses and the bit it was planted in. Every option is required.\n"
           "\n"
           "  --log IN          the capture, a candump -L log\n"
           "  --out-log OUT     the capture with the switch planted\n"
           "  --out-marks MARKS the marks, one time in seconds a line\n"
           "  --out-truth TRUTH the planted bit as CSV: id,byte,bit,mode,presses\n"
           "  --presses K       how often the switch is pressed, 1 to 100\n"
           "  --mode toggle|held  a latching switch flips its bit once a press, a held one while held\n"
           "  --seed N          the seed of the random choices; the same seed makes the same case\n"
           "  --help, -h        show this text\n";
}

} // namespace vexmoor::inject
