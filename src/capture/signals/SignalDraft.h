#pragma once

#include "capture/signals/MessageDefinition.h"

#include <cstddef>
#include <optional>
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
    // Whether the signal's bits lie within a message of that many bytes: a file that says otherwise
    // cannot be read back.
    static bool fitsIn(const SignalDefinition& signal, std::size_t messageBytes);
    // The run of bits a drag across a message's bits chose, from the bit pressed (the most significant)
    // to the bit released (the least), as positions byte * 8 + bit. Bytes read top to bottom and bits 7
    // to 0: a run that goes on in that reading order is big endian, one that goes back is little
    // endian, so that the run is contiguous in its byte order. Within one byte both read alike. Empty
    // when the run holds more than the 64 bits a signal can.
    static std::optional<SignalDefinition> draggedRun(int pressedPosition, int releasedPosition);
};

} // namespace vexmoor
