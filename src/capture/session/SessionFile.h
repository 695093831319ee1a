#pragma once

#include "capture/session/SessionState.h"

#include <string>
#include <string_view>
#include <variant>

namespace vexmoor {

// The session file: JSON with "format": "vexmoor-session" and "version": 1, keys in a fixed order,
// indented, so that a person can read it and a diff shows what changed. A file is read whole or
// refused whole, with the line and what is wrong; a file of a later version is refused, keys of this
// version that the program does not know are kept.
class SessionFile final {
public:
    static constexpr std::int64_t kVersion = 1;
    static constexpr std::string_view kFormat = "vexmoor-session";

    struct Error {
        int line = 0;
        std::string what; // "\"marks\" should be a list"
    };

    static std::variant<SessionState, Error> read(std::string_view text);
    static std::string write(const SessionState& state);
};

} // namespace vexmoor
