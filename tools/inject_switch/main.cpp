// vexmoor-inject-switch: makes a test case for the bit ranking from a real candump capture: a switch
// planted in a bit that never moves, the marks a user would set for its presses, and the answer.
#include "InjectOptions.h"
#include "SwitchInjection.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf()))
        throw std::invalid_argument("cannot read " + path);
    return text.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush())
        throw std::invalid_argument("cannot write " + path);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace vexmoor::inject;
    try {
        const InjectOptions options = InjectOptions::parse(std::vector<std::string_view>(argv + 1, argv + argc));
        if (options.showHelp) {
            std::cout << InjectOptions::usage();
            return std::cout.flush() ? 0 : 2;
        }
        const SwitchInjection::Result result
            = SwitchInjection::make(readFile(options.logPath), options.presses, options.mode, options.seed);
        writeFile(options.outLogPath, result.log);
        writeFile(options.outMarksPath, result.marks);
        writeFile(options.outTruthPath, result.truth);
    } catch (const std::invalid_argument& error) {
        std::cerr << "vexmoor-inject-switch: " << error.what() << '\n';
        return 2;
    }
    return 0;
}
