#pragma once

namespace vexmoor {

// Everything main() does: reads the command line and runs the chosen mode.
class Program final {
public:
    static int run(int argc, char** argv);
};

} // namespace vexmoor
