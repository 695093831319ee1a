#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vexmoor {

class BusNames;
struct MessageAnatomy;

// The headless anatomy: every frame of a log (candump, GVRET CSV or the board's text), the fields
// proposed for each identifier's data to standard output as CSV, and where asked as a DBC file.
class AnatomyCommand final {
public:
    AnatomyCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError);

    // Returns the exit status: 0, or 2 after a one-line error.
    int run(const CommandLine::Options& options);

private:
    void writeCsv(const std::vector<MessageAnatomy>& anatomies, const BusNames* buses);
    std::string saveDbc(const std::vector<MessageAnatomy>& anatomies, const std::string& path);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace vexmoor
