#pragma once

#include "InjectedBit.h"
#include "SwitchMode.h"
#include "SwitchPress.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor::inject {

class CandumpCapture;

// One test case for the ranking, made from a real capture: a switch planted in a bit that never
// moves, the marks a user would have set for its presses, and the answer.
class SwitchInjection final {
public:
    // A short capture is played again until the presses fit; beyond this many copies the capture is
    // mostly repetition and proves little.
    static constexpr int kMaxCopies = 8;

    struct Result {
        InjectedBit target;
        std::vector<SwitchPress> presses;
        int copies = 1; // how many times the capture was played
        std::string log; // candump lines
        std::string marks; // one time stamp in seconds a line
        std::string truth; // a CSV header and one row: id,byte,bit,mode,presses
    };

    // Throws std::invalid_argument with a one-line reason when the capture cannot carry the switch.
    static Result make(std::string_view logText, int presses, SwitchMode mode, std::uint64_t seed);

private:
    static int copiesToFit(const CandumpCapture& capture, int presses);
    static std::vector<std::int64_t> seamsOf(const CandumpCapture& capture, int copies);
    static std::vector<std::int64_t> timesOf(const CandumpCapture& capture, const InjectedBit& target);
    static std::vector<std::int64_t> flipTimesOf(const std::vector<SwitchPress>& presses);
    static std::string marksText(const std::vector<SwitchPress>& presses);
    static std::string truthText(const InjectedBit& target, SwitchMode mode, int presses);
};

} // namespace vexmoor::inject
