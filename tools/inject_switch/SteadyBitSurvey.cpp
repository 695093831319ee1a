#include "SteadyBitSurvey.h"

#include "CandumpCapture.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace vexmoor::inject {

namespace {

// What the frames of one identifier hold in common.
struct Accumulated {
    SteadyBitSurvey::Identifier identifier;
    std::size_t minLength = CanFrame::kMaxFdLength;
    std::array<std::uint8_t, CanFrame::kMaxFdLength> firstData {};
    std::array<std::uint8_t, CanFrame::kMaxFdLength> changedBits {};
    // On the clock that runs only while the bus is heard.
    std::int64_t lastHeardUs = 0;
    std::int64_t longestSilenceUs = 0;
};

void accumulate(Accumulated& entry, const CanFrame& frame, std::int64_t heardUs)
{
    entry.longestSilenceUs = std::max(entry.longestSilenceUs, heardUs - entry.lastHeardUs);
    entry.lastHeardUs = heardUs;
    // A remote frame carries no data, so none of the identifier's bits is in every frame.
    const std::size_t length = frame.dataLength();
    if (entry.identifier.frames == 0)
        entry.firstData = frame.data;
    entry.minLength = std::min(entry.minLength, length);
    for (std::size_t byte = 0; byte < length; ++byte)
        entry.changedBits[byte] |= static_cast<std::uint8_t>(frame.data[byte] ^ entry.firstData[byte]);
    ++entry.identifier.frames;
}

std::vector<SteadyBitSurvey::BitPosition> steadyBits(const Accumulated& entry)
{
    std::vector<SteadyBitSurvey::BitPosition> bits;
    for (std::size_t byte = 0; byte < entry.minLength; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((entry.changedBits[byte] & (1 << bit)) == 0)
                bits.push_back({ static_cast<int>(byte), bit });
        }
    }
    return bits;
}

// The frames in time order: a log of several interfaces need not be.
std::vector<const CanFrame*> inTimeOrder(const CandumpCapture& capture)
{
    std::vector<const CanFrame*> frames;
    for (const CandumpCapture::Frame& frame : capture.frames())
        frames.push_back(&frame.frame);
    std::stable_sort(frames.begin(), frames.end(),
                     [](const CanFrame* a, const CanFrame* b) { return a->timestampUs < b->timestampUs; });
    return frames;
}

} // namespace

std::vector<SteadyBitSurvey::Identifier> SteadyBitSurvey::candidates(const CandumpCapture& capture)
{
    std::map<std::pair<bool, std::uint32_t>, Accumulated> byIdentifier;
    std::int64_t heardUs = 0; // how long the bus has been heard, its pauses left out
    std::int64_t previousUs = capture.firstUs();
    for (const CanFrame* frame : inTimeOrder(capture)) {
        const std::int64_t gapUs = frame->timestampUs - previousUs;
        heardUs += gapUs > kMaxSilenceUs ? 0 : gapUs;
        previousUs = frame->timestampUs;
        Accumulated& entry = byIdentifier[{ frame->extended, frame->id }];
        entry.identifier.id = frame->id;
        entry.identifier.extended = frame->extended;
        accumulate(entry, *frame, heardUs);
    }

    std::vector<Identifier> found;
    for (auto& [key, entry] : byIdentifier) {
        const auto frames = static_cast<double>(entry.identifier.frames);
        const std::int64_t longestSilenceUs = std::max(entry.longestSilenceUs, heardUs - entry.lastHeardUs);
        if (heardUs <= 0 || frames * 1e6 / static_cast<double>(heardUs) < kMinRateHz
            || longestSilenceUs > kMaxSilenceUs)
            continue;
        entry.identifier.steadyBits = steadyBits(entry);
        if (!entry.identifier.steadyBits.empty())
            found.push_back(std::move(entry.identifier));
    }
    return found;
}

} // namespace vexmoor::inject
