#pragma once

#include "SwitchMode.h"
#include "SwitchPress.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vexmoor::tools {
class SplitMix64;
}

namespace vexmoor::inject {

// Draws when the switch is pressed, when the bus shows it and when the user marks it, the way a
// person in the car would: presses some seconds apart, the module reacting a little later, the hand
// on the key a little early or late.
class PressScheduler final {
public:
    // Far enough apart that a held bit is back long before the next press, and that the ranking has
    // to tell the switch from bits that change every few seconds on their own.
    static constexpr std::int64_t kMinSpacingUs = 6'000'000;
    // Frames before the first press show the bit at rest; frames after the last one show where it settles.
    static constexpr std::int64_t kEdgeMarginUs = 3'000'000;
    static constexpr std::int64_t kMinChangeDelayUs = 100'000;
    static constexpr std::int64_t kMaxChangeDelayUs = 500'000;
    static constexpr std::int64_t kMinHoldUs = 300'000;
    static constexpr std::int64_t kMaxHoldUs = 1'500'000;
    static constexpr std::int64_t kMarkSpreadUs = 300'000;
    // A press counts only when a frame of the identifier shows the change within this time.
    static constexpr std::int64_t kVisibleWithinUs = 500'000;
    // Where a repeated capture joins its next copy, many bits jump at once; a press there would be
    // helped or hidden by something no real drive has.
    static constexpr std::int64_t kSeamClearanceUs = 1'000'000;
    // A capture with long pauses leaves few places where every press shows; a drawing costs microseconds.
    static constexpr int kAttempts = 20000;

    struct Room {
        std::int64_t firstUs = 0;
        std::int64_t lastUs = 0;
        std::vector<std::int64_t> seamsUs;
    };

    PressScheduler(tools::SplitMix64& random, SwitchMode mode);

    // The shortest capture that holds the presses at their spacing and margins.
    static std::int64_t requiredSpanUs(int presses);

    // Presses in time order that all show on the identifier's frames (times in order), or nothing
    // when kAttempts drawings found none.
    std::optional<std::vector<SwitchPress>> schedule(int presses, const Room& room,
                                                     const std::vector<std::int64_t>& frameTimesUs);

private:
    std::vector<SwitchPress> draw(int presses, const Room& room);
    SwitchPress drawPress(std::int64_t pressUs);
    static bool shows(const SwitchPress& press, const Room& room, const std::vector<std::int64_t>& frameTimesUs);
    std::int64_t between(std::int64_t lowUs, std::int64_t highUs);

    tools::SplitMix64& m_random;
    SwitchMode m_mode;
};

} // namespace vexmoor::inject
