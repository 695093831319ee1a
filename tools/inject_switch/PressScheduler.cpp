#include "PressScheduler.h"

#include "SplitMix64.h"

#include <algorithm>

namespace vexmoor::inject {

namespace {

// Whether a frame is sent at or after fromUs and before untilUs.
bool sentBetween(const std::vector<std::int64_t>& frameTimesUs, std::int64_t fromUs, std::int64_t untilUs)
{
    const auto next = std::lower_bound(frameTimesUs.begin(), frameTimesUs.end(), fromUs);
    return next != frameTimesUs.end() && *next < untilUs;
}

} // namespace

PressScheduler::PressScheduler(tools::SplitMix64& random, SwitchMode mode)
    : m_random(random)
    , m_mode(mode)
{
}

std::int64_t PressScheduler::requiredSpanUs(int presses)
{
    return 2 * kEdgeMarginUs + (presses - 1) * kMinSpacingUs;
}

std::optional<std::vector<SwitchPress>> PressScheduler::schedule(int presses, const Room& room,
                                                                 const std::vector<std::int64_t>& frameTimesUs)
{
    if (room.lastUs - room.firstUs < requiredSpanUs(presses))
        return std::nullopt;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::vector<SwitchPress> drawn = draw(presses, room);
        const bool allShow = std::all_of(drawn.begin(), drawn.end(),
                                         [&](const SwitchPress& press) { return shows(press, room, frameTimesUs); });
        if (allShow)
            return drawn;
    }
    return std::nullopt;
}

std::vector<SwitchPress> PressScheduler::draw(int presses, const Room& room)
{
    // Offsets drawn in the slack left after the fixed spacing, sorted, then spread out by it: every
    // placement that keeps the spacing is equally likely, and no press is pushed against the ends.
    const std::int64_t slackUs = room.lastUs - room.firstUs - requiredSpanUs(presses);
    std::vector<std::int64_t> offsetsUs;
    for (int index = 0; index < presses; ++index)
        offsetsUs.push_back(between(0, slackUs));
    std::sort(offsetsUs.begin(), offsetsUs.end());

    std::vector<SwitchPress> drawn;
    for (int index = 0; index < presses; ++index)
        drawn.push_back(drawPress(room.firstUs + kEdgeMarginUs + offsetsUs[index] + index * kMinSpacingUs));
    return drawn;
}

SwitchPress PressScheduler::drawPress(std::int64_t pressUs)
{
    SwitchPress press;
    press.pressUs = pressUs;
    press.changeUs = pressUs + between(kMinChangeDelayUs, kMaxChangeDelayUs);
    if (m_mode == SwitchMode::Held)
        press.releaseUs = press.changeUs + between(kMinHoldUs, kMaxHoldUs);
    press.markUs = pressUs + between(-kMarkSpreadUs, kMarkSpreadUs);
    return press;
}

bool PressScheduler::shows(const SwitchPress& press, const Room& room, const std::vector<std::int64_t>& frameTimesUs)
{
    const std::int64_t settledUs = press.releaseUs.value_or(press.changeUs);
    const std::int64_t fromUs = std::min(press.pressUs, press.markUs) - kSeamClearanceUs;
    const std::int64_t untilUs = settledUs + kVisibleWithinUs + kSeamClearanceUs;
    for (const std::int64_t seamUs : room.seamsUs) {
        if (seamUs >= fromUs && seamUs <= untilUs)
            return false;
    }
    // A held bit must be seen flipped before it flips back, or the bus never shows the press.
    const std::int64_t showUntilUs = press.releaseUs ? std::min(press.changeUs + kVisibleWithinUs, *press.releaseUs)
                                                     : press.changeUs + kVisibleWithinUs;
    const bool changeShows = sentBetween(frameTimesUs, press.changeUs, showUntilUs);
    const bool releaseShows = !press.releaseUs || sentBetween(frameTimesUs, settledUs, settledUs + kVisibleWithinUs);
    return changeShows && releaseShows;
}

std::int64_t PressScheduler::between(std::int64_t lowUs, std::int64_t highUs)
{
    const auto range = static_cast<std::uint64_t>(highUs - lowUs) + 1;
    return lowUs + static_cast<std::int64_t>(m_random.next() % range);
}

} // namespace vexmoor::inject
