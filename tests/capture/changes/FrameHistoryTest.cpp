#include "capture/changes/FrameHistory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace vexmoor {
namespace {

CanFrame frameOf(std::uint32_t id, bool extended, std::int64_t timeUs, std::vector<std::uint8_t> data,
                 bool remote = false)
{
    CanFrame frame;
    frame.id = id;
    frame.extended = extended;
    frame.remote = remote;
    frame.length = static_cast<std::uint8_t>(data.size());
    for (std::size_t index = 0; index < data.size() && index < frame.data.size(); ++index)
        frame.data[index] = data[index];
    frame.timestampUs = timeUs;
    return frame;
}

CanFrame fdFrameOf(std::uint32_t id, std::int64_t timeUs, std::uint8_t length, bool bitRateSwitch, bool errorState)
{
    CanFrame frame = frameOf(id, false, timeUs, {});
    frame.fd = true;
    frame.bitRateSwitch = bitRateSwitch;
    frame.errorStateIndicator = errorState;
    frame.length = length;
    for (std::uint8_t index = 0; index < length; ++index)
        frame.data[index] = static_cast<std::uint8_t>(0xC0 + index);
    return frame;
}

std::vector<CanFrame> keptOf(const FrameHistory& history, std::uint32_t id, bool extended)
{
    std::vector<CanFrame> kept;
    history.forEachFrame(id, extended, [&kept](const CanFrame& frame) { kept.push_back(frame); });
    return kept;
}

TEST(FrameHistoryTest, GivesBackEachIdentifiersFramesAsTheyCame)
{
    // Interleaved identifiers, a remote frame, an empty one, a clock set back, a gap of days and CAN FD
    // frames with their flags: each comes back exactly, in its identifier's order.
    const std::vector<CanFrame> frames {
        frameOf(0x123, false, 1'700'000'000'000'000, { 1, 2, 3, 4, 5, 6, 7, 8 }),
        frameOf(0x123, true, 1'700'000'000'000'100, { 9 }),
        frameOf(0x123, false, 1'700'000'000'000'200, {}),
        frameOf(0x1ABCDEF0, true, 1'700'000'000'000'300, { 0xFF, 0 }),
        frameOf(0x123, false, 1'699'999'999'000'000, { 4, 4, 4, 4 }),
        frameOf(0x123, false, 1'700'000'000'000'000 + 3LL * 24 * 3600 * 1'000'000, {}, true),
        frameOf(0x123, false, 1'700'000'000'000'000 + 3LL * 24 * 3600 * 1'000'000 + 1, { 5 }),
        fdFrameOf(0x123, 1'700'000'000'000'000 + 3LL * 24 * 3600 * 1'000'000 + 0xC0, 64, true, false),
        fdFrameOf(0x123, 1'700'000'000'000'000 + 3LL * 24 * 3600 * 1'000'000 + 0x1C3, 12, false, true),
    };
    FrameHistory history;
    for (const CanFrame& frame : frames)
        history.observe(frame);

    const std::vector<std::pair<std::uint32_t, bool>> identifiers { { 0x123, false },
                                                                    { 0x123, true },
                                                                    { 0x1ABCDEF0, true } };
    for (const auto& [id, extended] : identifiers) {
        std::vector<CanFrame> expected;
        for (const CanFrame& frame : frames) {
            if (frame.id == id && frame.extended == extended)
                expected.push_back(frame);
        }
        EXPECT_EQ(keptOf(history, id, extended), expected) << std::hex << id;
    }
    EXPECT_TRUE(keptOf(history, 0x124, false).empty());
    EXPECT_EQ(history.framesKept(), frames.size());
    EXPECT_EQ(history.earliestUs(), frames.front().timestampUs);
}

TEST(FrameHistoryTest, PastItsLimitTheOldestFramesOfTheWholeBusGoFirst)
{
    // Three identifiers at different rates, frame n at n microseconds: whatever is kept must be the
    // latest frames of all, however they spread over the identifiers.
    FrameHistory history(2 * FrameHistory::kMinLimitBytes);
    constexpr std::int64_t kFrames = 300'000;
    for (std::int64_t n = 0; n < kFrames; ++n) {
        const std::uint32_t id = n % 10 == 0 ? 0x700 : (n % 3 == 0 ? 0x100 : 0x200);
        history.observe(frameOf(id, false, n, { static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8) }));
        ASSERT_LE(history.bytesUsed(), history.limitBytes()) << n;
    }
    EXPECT_GT(history.framesDropped(), 0U);
    EXPECT_EQ(history.framesKept() + history.framesDropped(), static_cast<std::uint64_t>(kFrames));
    const auto firstKept = kFrames - static_cast<std::int64_t>(history.framesKept());
    EXPECT_EQ(history.earliestUs(), firstKept);
    std::set<std::int64_t> times;
    for (const std::uint32_t id : { 0x100U, 0x200U, 0x700U }) {
        for (const CanFrame& frame : keptOf(history, id, false)) {
            EXPECT_EQ(frame.data[0], static_cast<std::uint8_t>(frame.timestampUs)) << "data stays with its time";
            times.insert(frame.timestampUs);
        }
    }
    ASSERT_EQ(times.size(), history.framesKept());
    EXPECT_EQ(*times.begin(), firstKept);
    EXPECT_EQ(*times.rbegin(), kFrames - 1);

    // A lower limit lets frames go at once; clear() forgets everything.
    const std::uint64_t keptBefore = history.framesKept();
    history.setLimitBytes(0);
    EXPECT_LT(history.framesKept(), keptBefore);
    EXPECT_LE(history.bytesUsed(), FrameHistory::kMinLimitBytes);
    history.clear();
    EXPECT_EQ(history.framesKept(), 0U);
    EXPECT_EQ(history.framesDropped(), 0U);
    EXPECT_FALSE(history.earliestUs().has_value());
    EXPECT_TRUE(keptOf(history, 0x100, false).empty());
}

} // namespace
} // namespace vexmoor
