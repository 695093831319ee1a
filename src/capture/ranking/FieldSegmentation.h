#pragma once

#include "capture/ranking/MessageAnatomy.h"
#include "capture/record/CanFrame.h"

#include <cstddef>
#include <span>

namespace vexmoor {

// Proposes the fields of one identifier's data from its frames, oldest first: counters and checksums
// by testing their forms, then the rest split where the bits stop flipping together as the digits of
// one number do.
class FieldSegmentation final {
public:
    // Fewer frames than this tell too little: every bit is then proposed as constant.
    static constexpr std::size_t kMinFrames = 20;

    // tieOrder: the byte order taken where the frames show none (no number crosses a byte): a log's
    // other messages, where they show one, are the best guess.
    static MessageAnatomy propose(std::span<const CanFrame> frames, ByteOrder tieOrder = ByteOrder::LittleEndian);
    // How many more byte boundaries the frames cross as big endian numbers than as little endian ones,
    // as MessageAnatomy::bigEndianEvidence, but quicker: what a survey of a bus's byte order reads.
    static int byteOrderEvidence(std::span<const CanFrame> frames);
};

} // namespace vexmoor
