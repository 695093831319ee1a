#include "BitInjector.h"

#include "CandumpCapture.h"

#include "capture/record/HexText.h"

#include <algorithm>

namespace vexmoor::inject {

std::string BitInjector::changedLog(const CandumpCapture& capture, const InjectedBit& target,
                                    const std::vector<std::int64_t>& flipTimesUs)
{
    std::vector<std::string> lines = capture.lines();
    for (const CandumpCapture::Frame& frame : capture.frames()) {
        if (frame.frame.id != target.id || frame.frame.extended != target.extended)
            continue;
        // The frames are taken by their time, not their place in the file: a log from several
        // interfaces is not always in time order.
        const auto flipsSoFar
            = std::upper_bound(flipTimesUs.begin(), flipTimesUs.end(), frame.frame.timestampUs) - flipTimesUs.begin();
        if (flipsSoFar % 2 == 1)
            flipDigit(lines[frame.line], frame.dataOffset, target.byte, target.bit);
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

void BitInjector::flipDigit(std::string& line, std::size_t dataOffset, int byte, int bit)
{
    // The first digit of a byte holds bits 7 to 4, the second bits 3 to 0.
    const std::size_t position = dataOffset + static_cast<std::size_t>(2 * byte + (bit < 4 ? 1 : 0));
    const int value = hex::digitValue(line[position]) ^ (1 << (bit % 4));
    // A log written in lower case stays in lower case.
    const std::size_t dataEnd = std::min(line.find(' ', dataOffset), line.size());
    const bool lowerCase
        = std::any_of(line.begin() + static_cast<std::ptrdiff_t>(dataOffset),
                      line.begin() + static_cast<std::ptrdiff_t>(dataEnd), [](char c) { return c >= 'a' && c <= 'f'; });
    constexpr char upperDigits[] = "0123456789ABCDEF";
    constexpr char lowerDigits[] = "0123456789abcdef";
    line[position] = (lowerCase ? lowerDigits : upperDigits)[value];
}

} // namespace vexmoor::inject
