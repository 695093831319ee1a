#include "capture/changes/SuppressionMask.h"

#include "capture/CaptureTestSupport.h"
#include "capture/changes/ChangeTracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::ChangeTracker;
using vexmoor::SuppressionMask;
using vexmoor::test::makeFrame;

constexpr std::int64_t kStartUs = 1'742'339'025'000'000;
constexpr std::int64_t kMs = 1000;

// One thing done, in order: a frame observed, the recent flips suppressed, or the mask cleared.
struct Step {
    enum class Kind { Frame, Suppress, Clear } kind;
    std::uint32_t id = 0;
    bool extended = false;
    std::vector<std::uint8_t> data {};
    std::int64_t atMs = 0;
    std::int64_t windowMs = 0;
};

Step frame(std::uint32_t id, std::int64_t atMs, std::initializer_list<std::uint8_t> data, bool extended = false)
{
    return { .kind = Step::Kind::Frame, .id = id, .extended = extended, .data = data, .atMs = atMs };
}

Step suppressAt(std::int64_t atMs, std::int64_t windowMs = SuppressionMask::kDefaultWindowUs / kMs)
{
    return { .kind = Step::Kind::Suppress, .atMs = atMs, .windowMs = windowMs };
}

Step clearMask()
{
    return { .kind = Step::Kind::Clear };
}

struct Expected {
    std::uint32_t id;
    bool extended;
    std::uint64_t mask;
};

struct MaskCase {
    std::string name;
    std::vector<Step> steps;
    std::vector<Expected> masks;
    std::size_t maskedBits;
};

void PrintTo(const MaskCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SuppressionMaskTest : public testing::TestWithParam<MaskCase> { };

TEST_P(SuppressionMaskTest, MasksTheBitsThatFlippedWithinTheWindowEndingNow)
{
    ChangeTracker tracker;
    SuppressionMask mask;
    for (const Step& step : GetParam().steps) {
        const std::int64_t atUs = kStartUs + step.atMs * kMs;
        switch (step.kind) {
        case Step::Kind::Frame: {
            auto observed = makeFrame(step.id, {}, { .extended = step.extended, .timestampUs = atUs });
            for (const std::uint8_t byte : step.data)
                observed.data.at(observed.length++) = byte;
            tracker.observe(observed);
            break;
        }
        case Step::Kind::Suppress:
            mask.suppressRecent(tracker, atUs, step.windowMs * kMs);
            break;
        case Step::Kind::Clear:
            mask.clear();
            break;
        }
    }
    for (const Expected& expected : GetParam().masks)
        EXPECT_EQ(mask.mask(expected.id, expected.extended), expected.mask) << std::hex << expected.id;
    EXPECT_EQ(mask.maskedBits(), GetParam().maskedBits);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, SuppressionMaskTest,
    testing::Values(
        MaskCase { "FlipsInsideTheWindow",
                   { frame(0x100, 0, { 0x00, 0x00 }), frame(0x100, 1000, { 0x01, 0x80 }), suppressAt(1000) },
                   { { 0x100, false, 0x8001 } },
                   2 },
        // The window is (now - 3 s, now]: a flip exactly 3 s old is out, one just younger is in.
        MaskCase {
            "WindowEdges",
            { frame(0x100, 0, { 0x00 }), frame(0x100, 1000, { 0x01 }), frame(0x100, 1001, { 0x03 }), suppressAt(4000) },
            { { 0x100, false, 0x02 } },
            1 },
        MaskCase {
            "FlipsOutsideTheWindowOrAfterNow",
            { frame(0x100, 0, { 0x00 }), frame(0x100, 100, { 0x01 }), frame(0x100, 9000, { 0x03 }), suppressAt(5000) },
            { { 0x100, false, 0 } },
            0 },
        MaskCase { "ABitThatNeverFlippedIsNotMasked",
                   { frame(0x100, 0, { 0xFF }), frame(0x100, 100, { 0xFF }), suppressAt(100) },
                   { { 0x100, false, 0 } },
                   0 },
        MaskCase { "ANonPositiveWindowMasksNothing",
                   { frame(0x100, 0, { 0x00 }), frame(0x100, 100, { 0x01 }), suppressAt(100, 0) },
                   { { 0x100, false, 0 } },
                   0 },
        MaskCase { "SuppressingAgainAddsToTheMask",
                   { frame(0x100, 0, { 0x00 }), frame(0x100, 100, { 0x01 }), suppressAt(100),
                     frame(0x100, 10000, { 0x81 }), suppressAt(10000), suppressAt(10000) },
                   { { 0x100, false, 0x81 } },
                   2 },
        MaskCase { "ClearForgetsEveryBit",
                   { frame(0x100, 0, { 0x00 }), frame(0x100, 100, { 0x01 }), suppressAt(100), clearMask(),
                     frame(0x100, 200, { 0x03 }), suppressAt(200, 50) },
                   { { 0x100, false, 0x02 } },
                   1 },
        MaskCase { "StandardAndExtendedOfOneNumberAreApart",
                   { frame(0x100, 0, { 0x00 }), frame(0x100, 0, { 0x00 }, true), frame(0x100, 100, { 0x01 }),
                     frame(0x100, 100, { 0x10 }, true), frame(0x1ABCDEF, 0, { 0, 0, 0, 0, 0, 0, 0, 0 }, true),
                     frame(0x1ABCDEF, 100, { 0, 0, 0, 0, 0, 0, 0, 0x80 }, true), suppressAt(100) },
                   { { 0x100, false, 0x01 },
                     { 0x100, true, 0x10 },
                     { 0x1ABCDEF, true, 0x8000'0000'0000'0000 },
                     { 0x1ABCDEF, false, 0 } },
                   3 }),
    [](const testing::TestParamInfo<MaskCase>& test) { return test.param.name; });

} // namespace

namespace {

// What remains to see: a flip of a bit outside the mask within the window ending now.
TEST(SuppressionMaskTest, ARowHasAChangeLeftOnlyWhenABitOutsideTheMaskFlippedWithinTheWindow)
{
    using vexmoor::IdentifierChanges;
    ChangeTracker tracker;
    SuppressionMask mask;
    auto observe = [&tracker](std::int64_t atMs, std::uint8_t byte) {
        tracker.observe(makeFrame(0x100, { byte }, { .timestampUs = kStartUs + atMs * kMs }));
    };
    observe(0, 0x00);
    observe(100, 0x01); // the counter's bit
    mask.suppressRecent(tracker, kStartUs + 100 * kMs);
    const IdentifierChanges& changes = *tracker.find(0x100, false);
    auto changedAt = [&](std::int64_t nowMs) { return mask.changedOutside(changes, kStartUs + nowMs * kMs); };

    EXPECT_FALSE(changedAt(100)) << "only the suppressed bit flipped";
    observe(200, 0x00);
    EXPECT_FALSE(changedAt(200)) << "the suppressed bit flipped back";
    observe(300, 0x10); // the switch
    EXPECT_TRUE(changedAt(300));
    EXPECT_TRUE(changedAt(3299));
    EXPECT_FALSE(changedAt(3300)) << "the switch's flip has left the window";
    EXPECT_FALSE(changedAt(299)) << "a flip after now belongs to another clock";
    mask.clear();
    EXPECT_TRUE(changedAt(200)) << "without the mask the counter's flip counts";
}

} // namespace
