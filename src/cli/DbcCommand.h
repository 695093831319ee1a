#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace vexmoor {

// "--dbc FILE": reads and checks a signal database and says what it holds in one line; with
// "--save-dbc OUT" writes it again instead, as the program writes DBC files.
class DbcCommand final {
public:
    DbcCommand(std::ostream& standardOutput, std::ostream& standardError);

    int run(const CommandLine::Options& options);

private:
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace vexmoor
