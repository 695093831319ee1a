#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>

namespace vexmoor {

class BitRanking;
class BusNames;
class HeadlessSession;
class SuppressionMask;

// The headless ranking: the marks of a file or a session, then every frame of a log (candump or GVRET CSV) through
// a capture session, as a replay's frames go, and the ranked bits of its ranking to standard output
// as CSV.
class RankCommand final {
public:
    RankCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError);

    // Ranks options.source against options.marksPath and returns the exit status: 0, or 2 after a
    // one-line error.
    int run(const CommandLine::Options& options);

private:
    std::string takeMarks(const CommandLine::Options& options, const HeadlessSession& headless, BitRanking& ranking);
    void writeRanking(const BitRanking& ranking, const SuppressionMask& suppressed, const BusNames* buses,
                      const CommandLine::Options& options);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace vexmoor
