#pragma once

#include "capture/ranking/ProposedField.h"

#include <cstdint>
#include <vector>

namespace vexmoor {

// The fields proposed for one identifier's data: every bit of its longest frame lies in exactly one of
// them, and they go in the order a person reads the frame (ProposedField::readingPlace).
struct MessageAnatomy {
    std::uint32_t id = 0;
    bool extended = false;
    std::uint8_t bus = 0; // the bus's number while rows are kept per bus
    std::uint64_t frames = 0; // frames the proposal was made from
    std::uint8_t length = 0; // data bytes of the longest frame
    // False when there were too few frames or the data never changed: then every field is constant
    // and its detail says why.
    bool proposed = false;
    // How many more byte boundaries the data crosses as big endian than as little endian numbers; 0:
    // the frames do not tell, and the order was a guess.
    int bigEndianEvidence = 0;
    std::vector<ProposedField> fields;
    // Per position byte * 8 + bit, the index in fields of the field that holds it.
    std::vector<int> fieldOfPosition;
};

} // namespace vexmoor
