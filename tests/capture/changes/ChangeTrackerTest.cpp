#include "capture/changes/ChangeTracker.h"

#include "capture/CaptureTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vexmoor::CanFrame;
using vexmoor::ChangeTracker;
using vexmoor::IdentifierChanges;
using vexmoor::test::makeFrame;

constexpr std::int64_t kNever = IdentifierChanges::kNever;
constexpr std::uint32_t kId = 0x3E9;
constexpr std::int64_t kMs = 1000;
constexpr std::int64_t kSecond = 1'000'000;
// A drive in March 2025, so that the times look like the ones sources give.
constexpr std::int64_t kDriveStartUs = 1742339025000000;

// One frame of the identifier under test: its bytes, or a remote frame (which may carry the length
// it asks for, as some sources give it, together with stale bytes).
struct Step {
    std::vector<std::uint8_t> data;
    std::int64_t timeUs;
    bool remote = false;
};

CanFrame frameOf(const Step& step)
{
    CanFrame frame = makeFrame(kId, {}, { .remote = step.remote, .timestampUs = step.timeUs });
    for (const std::uint8_t byte : step.data)
        frame.data.at(frame.length++) = byte;
    return frame;
}

const IdentifierChanges& replay(ChangeTracker& tracker, const std::vector<Step>& steps)
{
    for (const Step& step : steps)
        tracker.observe(frameOf(step));
    const IdentifierChanges* changes = tracker.find(kId, false);
    if (changes == nullptr)
        throw std::logic_error("the identifier was not tracked");
    return *changes;
}

// Bytes and bits --------------------------------------------------------------------------------

struct ByteChange {
    int index;
    std::int64_t timeUs;
    int direction;
};

struct ByteCase {
    std::string name;
    std::vector<Step> steps;
    std::vector<ByteChange> changes; // every other byte never changed
};

void PrintTo(const ByteCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ChangeTrackerByteTest : public testing::TestWithParam<ByteCase> { };

TEST_P(ChangeTrackerByteTest, KeepsEachBytesLastChangeAndItsDirection)
{
    ChangeTracker tracker;
    const IdentifierChanges& changes = replay(tracker, GetParam().steps);

    for (int index = 0; index < CanFrame::kMaxClassicLength; ++index) {
        ByteChange expected { index, kNever, 0 };
        for (const ByteChange& change : GetParam().changes) {
            if (change.index == index)
                expected = change;
        }
        EXPECT_EQ(changes.byteChangedUs(index), expected.timeUs) << "byte " << index;
        EXPECT_EQ(changes.byteDirection(index), expected.direction) << "byte " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ChangeTrackerByteTest,
    testing::Values(
        ByteCase { "FirstFrameChangesNothing", { { { 1, 2, 3, 4, 5, 6, 7, 8 }, 100 } }, {} },
        ByteCase {
            "UpAndDownInOneFrame", { { { 10, 20 }, 100 }, { { 11, 19 }, 200 } }, { { 0, 200, +1 }, { 1, 200, -1 } } },
        ByteCase {
            "ARepeatedValueKeepsTheChange", { { { 10 }, 100 }, { { 11 }, 200 }, { { 11 }, 300 } }, { { 0, 200, +1 } } },
        ByteCase { "TheLatestDirectionWins", { { { 10 }, 100 }, { { 12 }, 200 }, { { 5 }, 300 } }, { { 0, 300, -1 } } },
        ByteCase { "FromTheTopToZeroIsDown", { { { 255 }, 100 }, { { 0 }, 200 } }, { { 0, 200, -1 } } },
        ByteCase {
            "ABytesOneFrameLacksIsNoChange", { { { 1, 2, 3 }, 100 }, { { 1 }, 200 }, { { 1, 9, 9 }, 300 } }, {} },
        ByteCase {
            "ARemoteFrameInBetweenHidesTheChange", { { { 5 }, 100 }, { { 5 }, 200, true }, { { 6 }, 300 } }, {} },
        ByteCase { "TheLastByte",
                   { { { 0, 0, 0, 0, 0, 0, 0, 7 }, 100 }, { { 0, 0, 0, 0, 0, 0, 0, 8 }, 200 } },
                   { { 7, 200, +1 } } },
        ByteCase { "TimesBeforeTheEpoch", { { { 1 }, -300 }, { { 2 }, -200 } }, { { 0, -200, +1 } } }),
    [](const auto& testCase) { return testCase.param.name; });

struct BitFlip {
    int bitIndex;
    std::int64_t timeUs;
    std::uint32_t flips;
};

struct BitCase {
    std::string name;
    std::vector<Step> steps;
    std::vector<BitFlip> flips; // every other bit never flipped
};

void PrintTo(const BitCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ChangeTrackerBitTest : public testing::TestWithParam<BitCase> { };

TEST_P(ChangeTrackerBitTest, CountsEachBitsFlipsAgainstTheFrameJustBefore)
{
    ChangeTracker tracker;
    const IdentifierChanges& changes = replay(tracker, GetParam().steps);

    for (int bitIndex = 0; bitIndex < IdentifierChanges::kBits; ++bitIndex) {
        BitFlip expected { bitIndex, kNever, 0 };
        for (const BitFlip& flip : GetParam().flips) {
            if (flip.bitIndex == bitIndex)
                expected = flip;
        }
        EXPECT_EQ(changes.bitFlippedUs(bitIndex), expected.timeUs) << "bit " << bitIndex;
        EXPECT_EQ(changes.bitFlips(bitIndex), expected.flips) << "bit " << bitIndex;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ChangeTrackerBitTest,
    testing::Values(
        BitCase { "FirstFrameFlipsNothing", { { { 0xFF, 0xFF }, 100 } }, {} },
        BitCase {
            "OneBitBackAndForth", { { { 0x01 }, 100 }, { { 0x00 }, 200 }, { { 0x01 }, 300 } }, { { 0, 300, 2 } } },
        BitCase { "LeastSignificantIsBitZeroOfEachByte",
                  { { { 0x0F, 0x00 }, 100 }, { { 0x0E, 0x80 }, 200 } },
                  { { 0, 200, 1 }, { 15, 200, 1 } } },
        BitCase { "BitSixtyThree",
                  { { { 0, 0, 0, 0, 0, 0, 0, 0x80 }, 100 }, { { 0, 0, 0, 0, 0, 0, 0, 0x00 }, 200 } },
                  { { 63, 200, 1 } } },
        BitCase { "AShortFrameBetweenTwoLongOnes",
                  { { { 0xFF, 0xFF }, 100 }, { { 0x00 }, 200 }, { { 0xFF, 0xFF }, 300 } },
                  { { 0, 300, 2 },
                    { 1, 300, 2 },
                    { 2, 300, 2 },
                    { 3, 300, 2 },
                    { 4, 300, 2 },
                    { 5, 300, 2 },
                    { 6, 300, 2 },
                    { 7, 300, 2 } } },
        BitCase { "BytesPastAShorterFrameAreNoFlip", { { { 0x00, 0x00 }, 100 }, { { 0x00, 0x00, 0xFF }, 200 } }, {} },
        BitCase { "ARemoteFrameInBetween", { { { 0xFF }, 100 }, { {}, 200, true }, { { 0x00 }, 300 } }, {} },
        BitCase { "ARemoteFrameWithStaleBytesHasNoData",
                  { { { 0x01 }, 100 }, { { 0x00 }, 200, true }, { { 0x00 }, 300 } },
                  {} },
        BitCase { "ManyFlipsCount",
                  { { { 0x00 }, 100 }, { { 0x01 }, 200 }, { { 0x00 }, 300 }, { { 0x01 }, 400 }, { { 0x03 }, 500 } },
                  { { 0, 400, 3 }, { 1, 500, 1 } } }),
    [](const auto& testCase) { return testCase.param.name; });

TEST(ChangeTrackerTest, KeepsTheLatestDataWithARemoteFrameHavingNone)
{
    ChangeTracker tracker;
    const IdentifierChanges& changes = replay(tracker, { { { 0x01, 0x80, 0x7F }, 100 } });
    EXPECT_EQ(changes.length(), 3);
    EXPECT_EQ(changes.byte(1), 0x80);
    EXPECT_TRUE(changes.bit(0));
    EXPECT_FALSE(changes.bit(1));
    EXPECT_TRUE(changes.bit(15));
    EXPECT_FALSE(changes.bit(23));

    replay(tracker, { { { 0x55, 0x55, 0x55, 0x55 }, 200, true } });
    EXPECT_EQ(changes.length(), 0);
    EXPECT_EQ(changes.byte(0), 0);
    EXPECT_FALSE(changes.bit(0));
    EXPECT_EQ(changes.frames(), 2u);
    EXPECT_EQ(changes.lastFrameUs(), 200);
}

TEST(ChangeTrackerTest, AnIndexOutsideTheFrameThrows)
{
    ChangeTracker tracker;
    const IdentifierChanges& changes = replay(tracker, { { { 1 }, 100 } });
    EXPECT_THROW((void)changes.byte(64), std::out_of_range);
    EXPECT_THROW((void)changes.byteChangedUs(-1), std::out_of_range);
    EXPECT_THROW((void)changes.bitFlips(512), std::out_of_range);
    EXPECT_THROW((void)changes.byteChangeShare(64, 0), std::out_of_range);
    EXPECT_THROW((void)tracker.at(1), std::out_of_range);
    // Past the bytes that came, within a CAN FD frame's: nothing yet.
    EXPECT_EQ(changes.byte(40), 0);
    EXPECT_EQ(changes.bitFlippedUs(511), kNever);
}

// A CAN FD frame's bytes past the eighth are followed like the first ones, and their flips heard in
// their own words of 64 bits; a frame that lacks them flips none of them.
TEST(ChangeTrackerTest, BytesPastTheEighthOfCanFdFramesAreFollowed)
{
    struct Heard : vexmoor::FlipListener {
        std::vector<std::pair<int, std::uint64_t>> words;
        void bitsFlipped(std::size_t, int word, std::uint64_t bits, std::int64_t) override
        {
            words.emplace_back(word, bits);
        }
    } heard;
    ChangeTracker tracker;
    tracker.setFlipListener(&heard);
    std::vector<std::uint8_t> data(64, 0);
    const auto observe = [&tracker](std::vector<std::uint8_t> bytes, std::int64_t timeUs) {
        CanFrame frame = makeFrame(kId, {}, { .timestampUs = timeUs, .fd = true });
        for (const std::uint8_t byte : bytes)
            frame.data.at(frame.length++) = byte;
        tracker.observe(frame);
    };
    observe(data, 100);
    data[63] = 0x80;
    data[9] = 0x01;
    data[0] = 0x02;
    observe(data, 200);
    observe({ 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0 }, 300);
    observe(std::vector<std::uint8_t>(64, 0), 400);

    const IdentifierChanges& changes = *tracker.find(kId, false);
    EXPECT_TRUE(changes.hasLongData());
    EXPECT_EQ(changes.length(), 64);
    EXPECT_EQ(changes.byteChangedUs(63), 200) << "not at 400: the frame before it had no byte 63";
    EXPECT_EQ(changes.bitFlips(63 * 8 + 7), 1u);
    EXPECT_EQ(changes.byteDirection(9), -1);
    EXPECT_EQ(changes.byteChangedUs(9), 400);
    EXPECT_EQ(heard.words,
              (std::vector<std::pair<int, std::uint64_t>> {
                  { 1, 0x0100 }, { 7, 0x8000000000000000 }, { 0, 0x02 }, { 1, 0x0100 }, { 0, 0x02 } }));
}

// Identifiers -----------------------------------------------------------------------------------

TEST(ChangeTrackerTest, KeepsStandardAndExtendedApartInTheOrderTheyFirstCame)
{
    ChangeTracker tracker;
    tracker.observe(makeFrame(0x100, { 1 }, { .extended = true, .timestampUs = 10 }));
    tracker.observe(makeFrame(0x100, { 2 }, { .timestampUs = 20 }));
    tracker.observe(makeFrame(0x7FF, { 3 }, { .timestampUs = 30 }));
    tracker.observe(makeFrame(0x100, { 4 }, { .extended = true, .timestampUs = 40 }));
    tracker.observe(makeFrame(0x0, {}, { .timestampUs = 50 }));

    ASSERT_EQ(tracker.size(), 4u);
    const std::vector<std::pair<std::uint32_t, bool>> expectedOrder {
        { 0x100, true }, { 0x100, false }, { 0x7FF, false }, { 0x0, false }
    };
    for (std::size_t index = 0; index < expectedOrder.size(); ++index) {
        EXPECT_EQ(tracker.at(index).id(), expectedOrder[index].first) << index;
        EXPECT_EQ(tracker.at(index).extended(), expectedOrder[index].second) << index;
        EXPECT_EQ(tracker.find(expectedOrder[index].first, expectedOrder[index].second), &tracker.at(index));
    }
    const IdentifierChanges& extended = tracker.at(0);
    EXPECT_EQ(extended.frames(), 2u);
    EXPECT_EQ(extended.byte(0), 4);
    EXPECT_EQ(extended.byteChangedUs(0), 40);
    EXPECT_EQ(tracker.at(1).frames(), 1u);
    EXPECT_EQ(tracker.at(1).byteChangedUs(0), kNever);
    EXPECT_EQ(tracker.find(0x7FF, true), nullptr);
}

TEST(ChangeTrackerTest, EarlierIdentifiersStayPutWhileManyMoreArrive)
{
    ChangeTracker tracker;
    tracker.observe(makeFrame(0x18DAF110, { 1 }, { .extended = true }));
    const IdentifierChanges* first = &tracker.at(0);

    for (std::uint32_t id = 0; id < 1000; ++id)
        tracker.observe(makeFrame(id, { 1 }, { .extended = id % 2 == 1 }));
    tracker.observe(makeFrame(0x18DAF110, { 2 }, { .extended = true, .timestampUs = 5 }));

    ASSERT_EQ(tracker.size(), 1001u);
    EXPECT_EQ(&tracker.at(0), first);
    EXPECT_EQ(first->frames(), 2u);
    EXPECT_EQ(first->byteChangedUs(0), 5);
    EXPECT_EQ(tracker.at(1000).id(), 999u);
    EXPECT_TRUE(tracker.at(1000).extended());
}

TEST(ChangeTrackerTest, PastTheBoundNewIdentifiersAreOnlyCounted)
{
    ChangeTracker tracker(3);
    for (std::uint32_t id = 1; id <= 5; ++id)
        tracker.observe(makeFrame(id, { 0 }, { .extended = true, .timestampUs = 10 }));
    tracker.observe(makeFrame(2, { 9 }, { .extended = true, .timestampUs = 20 }));
    tracker.observe(makeFrame(4, { 9 }, { .extended = true, .timestampUs = 20 }));

    ASSERT_EQ(tracker.size(), 3u);
    EXPECT_EQ(tracker.untrackedFrames(), 3u);
    EXPECT_EQ(tracker.find(4, true), nullptr);
    ASSERT_NE(tracker.find(2, true), nullptr);
    EXPECT_EQ(tracker.find(2, true)->byteChangedUs(0), 20);
}

TEST(ChangeTrackerTest, IdentifiersOutOfRangeAreCountedNotTracked)
{
    ChangeTracker tracker;
    tracker.observe(makeFrame(CanFrame::kMaxStandardId + 1, { 1 }));
    tracker.observe(makeFrame(CanFrame::kMaxExtendedId + 1, { 1 }, { .extended = true }));
    tracker.observe(makeFrame(0x80000000 | 0x100, { 1 }, { .extended = true }));

    EXPECT_EQ(tracker.size(), 0u);
    EXPECT_EQ(tracker.untrackedFrames(), 3u);
    EXPECT_EQ(tracker.find(CanFrame::kMaxStandardId + 1, false), nullptr);
}

TEST(ChangeTrackerTest, ClearForgetsEverything)
{
    ChangeTracker tracker(1);
    tracker.observe(makeFrame(0x100, { 1 }, { .timestampUs = 10 }));
    tracker.observe(makeFrame(0x101, { 1 }, { .timestampUs = 10 }));

    tracker.clear();
    EXPECT_EQ(tracker.size(), 0u);
    EXPECT_EQ(tracker.untrackedFrames(), 0u);
    EXPECT_EQ(tracker.find(0x100, false), nullptr);

    // What comes next is a first frame again, with nothing to differ from.
    tracker.observe(makeFrame(0x101, { 2 }, { .timestampUs = kDriveStartUs }));
    ASSERT_EQ(tracker.size(), 1u);
    const IdentifierChanges& changes = tracker.at(0);
    EXPECT_EQ(changes.id(), 0x101u);
    EXPECT_EQ(changes.frames(), 1u);
    EXPECT_EQ(changes.byteChangedUs(0), kNever);
    EXPECT_EQ(changes.bitFlips(1), 0u);
    EXPECT_NEAR(changes.framesPerSecond(kDriveStartUs), 0.5, 0.1);
}

// Rates -----------------------------------------------------------------------------------------

std::vector<std::int64_t> polled(std::int64_t startUs, std::int64_t spacingUs, int polls, int framesPerPoll)
{
    std::vector<std::int64_t> times;
    for (int poll = 0; poll < polls; ++poll)
        times.insert(times.end(), static_cast<std::size_t>(framesPerPoll), startUs + poll * spacingUs);
    return times;
}

std::vector<std::int64_t> steady(std::int64_t startUs, std::int64_t spacingUs, int frames)
{
    return polled(startUs, spacingUs, frames, 1);
}

std::vector<std::int64_t> joined(std::vector<std::int64_t> first, const std::vector<std::int64_t>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A steady stream in which every tenth frame carries a time stamp a little behind its neighbours.
std::vector<std::int64_t> slightlyOutOfOrder(std::int64_t startUs, std::int64_t spacingUs, int frames)
{
    auto times = steady(startUs, spacingUs, frames);
    for (std::size_t index = 9; index < times.size(); index += 10)
        times[index] -= 300 * kMs;
    return times;
}

struct RateCase {
    std::string name;
    std::vector<std::int64_t> frameTimesUs;
    std::int64_t nowUs;
    double framesPerSecond;
};

void PrintTo(const RateCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ChangeTrackerRateTest : public testing::TestWithParam<RateCase> { };

TEST_P(ChangeTrackerRateTest, CountsTheFramesOfTheRecentWindow)
{
    ChangeTracker tracker;
    for (const std::int64_t timeUs : GetParam().frameTimesUs)
        tracker.observe(makeFrame(kId, { 1 }, { .timestampUs = timeUs }));
    const IdentifierChanges& changes = *tracker.find(kId, false);

    const double expected = GetParam().framesPerSecond;
    EXPECT_NEAR(changes.framesPerSecond(GetParam().nowUs), expected, expected * 0.1 + 1e-9);
    if (expected == 0.0)
        EXPECT_EQ(changes.periodMs(GetParam().nowUs), 0.0);
    else
        EXPECT_NEAR(changes.periodMs(GetParam().nowUs), 1000.0 / expected, 100.0 / expected);
}

INSTANTIATE_TEST_SUITE_P(
    Traffic, ChangeTrackerRateTest,
    testing::Values(
        RateCase { "Steady100Hz", steady(kDriveStartUs, 10 * kMs, 500), kDriveStartUs + 5 * kSecond, 100.0 },
        RateCase { "Steady100HzReadMidSlot", steady(kDriveStartUs, 10 * kMs, 513), kDriveStartUs + 5130 * kMs, 100.0 },
        RateCase { "Steady2Hz", steady(kDriveStartUs, 500 * kMs, 20), kDriveStartUs + 9600 * kMs, 2.0 },
        // Board records: ten frames a poll, all stamped with the poll's time, 300 ms apart.
        RateCase { "BoardRecordsSharingTheirPollsTime", polled(kDriveStartUs, 300 * kMs, 20, 10),
                   kDriveStartUs + 5850 * kMs, 33.3 },
        RateCase { "AllInOneStamp", polled(kDriveStartUs, 0, 1, 60), kDriveStartUs + 1950 * kMs, 30.0 },
        RateCase { "TheWindowHasPassed", steady(kDriveStartUs, 10 * kMs, 500), kDriveStartUs + 7 * kSecond, 0.0 },
        RateCase { "SlightlyOutOfOrder", slightlyOutOfOrder(kDriveStartUs, 10 * kMs, 500), kDriveStartUs + 5 * kSecond,
                   100.0 },
        // A log whose clock starts again: the frames on the new clock give the rate on their own.
        RateCase { "AClockThatWentBack",
                   joined(steady(kDriveStartUs, 1 * kMs, 3000), steady(10 * kSecond, 20 * kMs, 150)), 13 * kSecond,
                   50.0 },
        RateCase { "AClockThatWentBackReadOnTheOldClock",
                   joined(steady(kDriveStartUs, 1 * kMs, 3000), steady(10 * kSecond, 20 * kMs, 150)),
                   kDriveStartUs + 3 * kSecond, 0.0 },
        RateCase { "TimesBeforeTheEpoch", steady(-5 * kSecond, 10 * kMs, 500), 0, 100.0 }),
    [](const auto& testCase) { return testCase.param.name; });

// A slow sender holds only a few frames in the window: its rate comes from their spacing, exact
// wherever the window falls, while the board's shared poll stamps leave it to the counts above.
TEST(ChangeTrackerTest, ASteadySendersRateIsExactWhereverTheWindowFalls)
{
    for (const std::int64_t periodUs : { 10 * kMs, 100 * kMs, 400 * kMs, 700 * kMs, 1000 * kMs }) {
        ChangeTracker tracker;
        for (const std::int64_t timeUs : steady(kDriveStartUs + 37 * kMs, periodUs, 40))
            tracker.observe(makeFrame(kId, { 1 }, { .timestampUs = timeUs }));
        const IdentifierChanges& changes = *tracker.find(kId, false);
        for (std::int64_t afterUs = 0; afterUs < periodUs; afterUs += periodUs / 4) {
            const std::int64_t nowUs = changes.lastFrameUs() + afterUs;
            EXPECT_NEAR(changes.framesPerSecond(nowUs), 1e6 / static_cast<double>(periodUs), 1e-6)
                << periodUs << " us period, read " << afterUs << " us after the last frame";
            EXPECT_NEAR(changes.periodMs(nowUs), static_cast<double>(periodUs) / 1000.0, 1e-6);
        }
    }
}

TEST(ChangeTrackerTest, TheRateFallsOffAsTheWindowMovesPastTheLastFrame)
{
    ChangeTracker tracker;
    for (const std::int64_t timeUs : steady(kDriveStartUs, 10 * kMs, 300))
        tracker.observe(makeFrame(kId, { 1 }, { .timestampUs = timeUs }));
    const IdentifierChanges& changes = *tracker.find(kId, false);
    const std::int64_t lastUs = changes.lastFrameUs();

    double before = changes.framesPerSecond(lastUs);
    EXPECT_NEAR(before, 100.0, 10.0);
    for (std::int64_t laterUs = 100 * kMs; laterUs <= 2 * kSecond; laterUs += 100 * kMs) {
        const double rate = changes.framesPerSecond(lastUs + laterUs);
        EXPECT_LE(rate, before) << laterUs << " us after the last frame";
        before = rate;
    }
    EXPECT_EQ(before, 0.0);
}

// Busy share ------------------------------------------------------------------------------------

struct ShareCase {
    std::string name;
    int frames;
    std::int64_t spacingUs;
    std::function<std::uint8_t(int)> byteOfFrame;
    std::int64_t nowAfterLastUs;
    double share;
};

void PrintTo(const ShareCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ChangeTrackerShareTest : public testing::TestWithParam<ShareCase> { };

TEST_P(ChangeTrackerShareTest, GivesTheShareOfRecentFramesThatChangedTheByte)
{
    ChangeTracker tracker;
    const ShareCase& testCase = GetParam();
    std::int64_t timeUs = kDriveStartUs;
    for (int frame = 0; frame < testCase.frames; ++frame, timeUs += testCase.spacingUs)
        tracker.observe(makeFrame(kId, { 0x42, testCase.byteOfFrame(frame) }, { .timestampUs = timeUs }));
    const IdentifierChanges& changes = *tracker.find(kId, false);
    const std::int64_t nowUs = changes.lastFrameUs() + testCase.nowAfterLastUs;

    EXPECT_NEAR(changes.byteChangeShare(1, nowUs), testCase.share, 0.02);
    EXPECT_EQ(changes.byteChangeShare(0, nowUs), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ChangeTrackerShareTest,
    testing::Values(ShareCase { "ACounter", 1000, 10 * kMs, [](int frame) { return static_cast<std::uint8_t>(frame); },
                                0, 1.0 },
                    ShareCase { "EveryFourthFrame", 1000, 10 * kMs,
                                [](int frame) { return static_cast<std::uint8_t>(frame / 4); }, 0, 0.25 },
                    ShareCase { "BoardRecordsSharingTheirPollsTime", 1000, 0,
                                [](int frame) { return static_cast<std::uint8_t>(frame / 2); }, 0, 0.5 },
                    // A byte that was busy until six seconds ago and has held still since.
                    ShareCase { "OnlyLongAgo", 1200, 10 * kMs,
                                [](int frame) { return static_cast<std::uint8_t>(frame < 600 ? frame : 0); }, 0, 0.0 },
                    ShareCase { "TheWindowHasPassed", 1000, 10 * kMs,
                                [](int frame) { return static_cast<std::uint8_t>(frame); }, 6 * kSecond, 0.0 }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace
