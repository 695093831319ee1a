#pragma once

namespace vexmoor::bench {

// Google Benchmark knows --help only; -h asks for the same, as it does of every tool here.
void takeShortHelpAsLong(int argc, char** argv);

} // namespace vexmoor::bench
