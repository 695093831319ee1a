// Writes a made-up companion board stream to standard output, for demos, benchmarks and the
// project's sample: vexmoor-board-stream [RECORDS] [IDENTIFIERS] [SEED]
#include "BoardStreamGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const auto argument = [&](int index, long fallback) { return index < argc ? std::atol(argv[index]) : fallback; };
    const long records = argument(1, 1000);
    vexmoor::tools::BoardStreamGenerator::Settings settings;
    settings.identifierCount = static_cast<int>(argument(2, 64));
    settings.seed = static_cast<std::uint64_t>(argument(3, 1));
    if (records < 0 || settings.identifierCount < 1 || settings.identifierCount > 2048) {
        std::cerr << "usage: vexmoor-board-stream [RECORDS] [IDENTIFIERS 1-2048] [SEED]\n";
        return 2;
    }
    vexmoor::tools::BoardStreamGenerator generator(settings);
    std::string out = vexmoor::tools::BoardStreamGenerator::startupLine();
    for (long index = 0; index < records; ++index) {
        generator.appendRecord(out);
        if (out.size() > (1 << 16)) {
            std::cout << out;
            out.clear();
        }
    }
    std::cout << out;
    return std::cout.flush() ? 0 : 2;
}
