#pragma once

#include "capture/signals/SignalDatabase.h"

#include <optional>
#include <string>

namespace vexmoor {

// A DBC file read whole and checked: the database, or why not, as one line for the command line
// ("cannot read 'civic.dbc': No such file or directory", "civic.dbc: line 41, column 18: expected ...").
class DbcFile final {
public:
    static std::optional<SignalDatabase> load(const std::string& path, std::string& error);
};

} // namespace vexmoor
