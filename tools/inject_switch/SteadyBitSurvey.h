#pragma once

#include <cstdint>
#include <vector>

namespace vexmoor::inject {

class CandumpCapture;

// Finds where a switch's bit can be planted so that the capture cannot give it away: identifiers sent
// often and all the time, and their bits that hold one value in every frame.
class SteadyBitSurvey final {
public:
    // Slower identifiers may miss a press altogether, or show it so late that no mark explains it.
    static constexpr double kMinRateHz = 5.0;
    // An identifier silent for longer (it starts with the ignition, or stops) cannot carry a press
    // everywhere in the capture. A silence of the whole bus this long is a pause of the logger, not
    // of the identifier: the rate and the silences are measured on the time the bus was heard.
    static constexpr std::int64_t kMaxSilenceUs = 1'000'000;

    struct BitPosition {
        int byte = 0;
        int bit = 0; // 0 is the value 1, 7 the value 128

        bool operator==(const BitPosition&) const = default;
    };

    struct Identifier {
        std::uint32_t id = 0;
        bool extended = false;
        std::size_t frames = 0;
        std::vector<BitPosition> steadyBits;
    };

    // The identifiers sent at kMinRateHz or more without a silence longer than kMaxSilenceUs, that
    // have at least one steady bit within the length of every one of their frames; in order of
    // identifier, so that a seed picks the same one on every machine.
    static std::vector<Identifier> candidates(const CandumpCapture& capture);
};

} // namespace vexmoor::inject
