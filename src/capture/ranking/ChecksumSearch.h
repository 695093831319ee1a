#pragma once

#include "capture/record/CanFrame.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexmoor {

// Looks for a checksum among a message's bytes and nibbles: a field that follows the rest of the data by
// one of the forms in common use, over every frame given. Sums and XORs may add a constant (which the
// identifier's own nibbles or bytes often are); a CRC's initial value and final XOR, and an identifier
// fed in before the data, only XOR a constant onto it for data of one length, so each form is tested
// up to a constant. AUTOSAR's end-to-end CRC feeds a data ID after the data, chosen by the counter: a
// constant for each counter value.
class ChecksumSearch final {
public:
    struct Found {
        int byte = 0;
        int lowBit = 0; // 0 or 4 for a nibble, 0 for a byte
        int bits = 8; // 4 or 8
        std::string form; // "XOR of nibbles", "CRC-8, polynomial 0x1D (SAE J1850)"
    };

    // Frames of one length, all of it data; the counter's bits (positions byte * 8 + bit), when one was
    // found, are tried both in and out of the checksum, and never taken for one.
    static std::vector<Found> search(std::span<const CanFrame> frames, std::uint32_t id,
                                     const std::vector<int>& counterPositions);
};

} // namespace vexmoor
