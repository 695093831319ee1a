#pragma once

#include "capture/ranking/MessageAnatomy.h"
#include "capture/signals/SignalDatabase.h"

#include <vector>

namespace vexmoor {

// The fields proposed for a log's messages as a signal database: a message per identifier (MSG_1A0),
// a signal per field that moved, named by its kind, identifier and start bit, with what it seems to be
// as its comment. Where two buses carry the same identifier, the proposal made from more frames is kept:
// a DBC file holds one message per identifier.
class AnatomyDatabase final {
public:
    static SignalDatabase of(const std::vector<MessageAnatomy>& anatomies);
};

} // namespace vexmoor
