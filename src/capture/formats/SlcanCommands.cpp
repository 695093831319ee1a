#include "capture/formats/SlcanCommands.h"

#include "capture/record/CanFrame.h"
#include "capture/record/HexText.h"

#include <algorithm>
#include <array>

namespace vexmoor {

namespace {

// The rate of each "Sn" command, n being the index.
constexpr std::array<std::uint32_t, 9> kBitRates
    = { 10'000, 20'000, 50'000, 100'000, 125'000, 250'000, 500'000, 800'000, 1'000'000 };

constexpr std::int64_t kMicrosecondsPerMillisecond = 1000;
constexpr std::int64_t kTimestampWrapMs = 60'000;

} // namespace

std::optional<std::string> SlcanCommands::bitRate(std::uint32_t bitsPerSecond)
{
    const auto found = std::find(kBitRates.begin(), kBitRates.end(), bitsPerSecond);
    if (found == kBitRates.end())
        return std::nullopt;
    return std::string { 'S', static_cast<char>('0' + (found - kBitRates.begin())), '\r' };
}

std::span<const std::uint32_t> SlcanCommands::bitRates()
{
    return kBitRates;
}

std::optional<std::uint32_t> SlcanCommands::bitRateOf(std::string_view command)
{
    if (command.size() != 3 || command[0] != 'S' || command[2] != '\r' || command[1] < '0'
        || command[1] >= '0' + static_cast<int>(kBitRates.size()))
        return std::nullopt;
    return kBitRates[static_cast<std::size_t>(command[1] - '0')];
}

void SlcanCommands::appendFrameLine(const CanFrame& frame, bool withTimestamp, std::string& out)
{
    if (frame.remote)
        out.push_back(frame.extended ? 'R' : 'r');
    else
        out.push_back(frame.extended ? 'T' : 't');
    if (frame.extended)
        hex::appendNumber(frame.id & CanFrame::kMaxExtendedId, 8, out);
    else
        hex::appendNumber(frame.id & CanFrame::kMaxStandardId, 3, out);
    const std::uint8_t length = std::min(frame.length, CanFrame::kMaxClassicLength);
    out.push_back(static_cast<char>('0' + length));
    if (!frame.remote) {
        for (std::size_t index = 0; index < length; ++index)
            hex::appendByte(frame.data[index], out);
    }
    if (withTimestamp) {
        // Floor division, so that a time before the epoch still counts up to the next wrap.
        std::int64_t milliseconds = frame.timestampUs / kMicrosecondsPerMillisecond;
        if (frame.timestampUs % kMicrosecondsPerMillisecond < 0)
            --milliseconds;
        const std::int64_t clock = (milliseconds % kTimestampWrapMs + kTimestampWrapMs) % kTimestampWrapMs;
        hex::appendNumber(static_cast<std::uint32_t>(clock), 4, out);
    }
    out.push_back('\r');
}

} // namespace vexmoor
