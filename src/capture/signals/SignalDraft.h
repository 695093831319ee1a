#pragma once

#include "capture/signals/MessageDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// What a signal being defined is checked against before it joins its message: a name that DBC files
// can hold, and the other signals of the message whose bits it shares.
class SignalDraft final {
public:
    // Letters, digits and underscores, not starting with a digit.
    static bool isDbcIdentifier(std::string_view name);
    // Why a name cannot be used, or empty: not an identifier, or taken by another signal of the message.
    static std::string nameProblem(const MessageDefinition& message, std::string_view name);
    // The names of the message's signals that use one of the draft's bits (the draft itself left out
    // by name).
    static std::vector<std::string> overlapping(const MessageDefinition& message, const SignalDefinition& draft);
    // The bits a signal uses, as positions byte * 8 + bit (bit 0 the least significant of its byte).
    static std::vector<int> bitsOf(const SignalDefinition& signal);
};

} // namespace vexmoor
