#pragma once

#include "capture/signals/SignalDefinition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexmoor {

// One message of a signal database, as a DBC BO_ line and the statements about it give it: its
// signals in their file order.
struct MessageDefinition {
    std::uint32_t id = 0;
    bool extended = false;
    std::string name;
    std::uint8_t length = 8; // bytes
    std::string sender;
    std::string comment;
    std::optional<std::uint32_t> cycleTimeMs; // GenMsgCycleTime, where the file gives one
    // Not "signals": Qt code that includes this would read its keyword there.
    std::vector<SignalDefinition> signalDefinitions;
    std::vector<std::string> transmitters; // further nodes that send it (BO_TX_BU_)

    bool operator==(const MessageDefinition&) const = default;
};

} // namespace vexmoor
