#pragma once

#include "SwitchMode.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor::inject {

// The command line of vexmoor-inject-switch, read strictly: a test case made from something other
// than what was asked for would prove nothing.
struct InjectOptions {
    std::string logPath;
    std::string outLogPath;
    std::string outMarksPath;
    std::string outTruthPath;
    int presses = 0;
    SwitchMode mode = SwitchMode::Toggle;
    std::uint64_t seed = 0;
    // --help or -h in an option's place: the usage is wanted, and nothing else is read.
    bool showHelp = false;

    static constexpr int kMaxPresses = 100;

    // Throws std::invalid_argument with a one-line reason when the arguments cannot be used.
    static InjectOptions parse(const std::vector<std::string_view>& arguments);
    static std::string usage();
};

} // namespace vexmoor::inject
