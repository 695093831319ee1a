#include "ShortHelp.h"

#include <string_view>

namespace vexmoor::bench {

void takeShortHelpAsLong(int argc, char** argv)
{
    // Arguments stay in use for the whole run: the long form lives as long.
    static char longHelp[] = "--help";
    for (int index = 1; index < argc; ++index) {
        if (std::string_view(argv[index]) == "-h")
            argv[index] = longHelp;
    }
}

} // namespace vexmoor::bench
