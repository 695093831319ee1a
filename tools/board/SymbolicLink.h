#pragma once

#include <string>

namespace vexmoor::board {

// A symbolic link that gives the pseudo-terminal a fixed name (its /dev/pts number changes from
// run to run), removed again when the board stops.
class SymbolicLink {
public:
    // Makes `linkPath` point to `target`, replacing a symbolic link already there; anything else at
    // `linkPath` is left alone and refused. Throws std::system_error.
    SymbolicLink(std::string linkPath, std::string target);
    ~SymbolicLink();
    SymbolicLink(const SymbolicLink&) = delete;
    SymbolicLink& operator=(const SymbolicLink&) = delete;

private:
    std::string m_linkPath;
    std::string m_target;
};

} // namespace vexmoor::board
