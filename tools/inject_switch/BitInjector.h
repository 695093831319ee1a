#pragma once

#include "InjectedBit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexmoor::inject {

class CandumpCapture;

// Writes a capture back out with one bit of one identifier flipped from given times on. Only the hex
// digit that holds the bit is touched, so that the changed log differs from the capture in that bit
// alone, however its lines were written.
class BitInjector final {
public:
    // flipTimesUs: the times the bit flips, in order; a frame at or after an odd number of them
    // carries the bit inverted.
    static std::string changedLog(const CandumpCapture& capture, const InjectedBit& target,
                                  const std::vector<std::int64_t>& flipTimesUs);

private:
    static void flipDigit(std::string& line, std::size_t dataOffset, int byte, int bit);
};

} // namespace vexmoor::inject
