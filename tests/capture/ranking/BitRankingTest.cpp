#include "capture/ranking/BitRanking.h"

#include "capture/CaptureTestSupport.h"
#include "capture/changes/ChangeTracker.h"
#include "capture/changes/SuppressionMask.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::BitRanking;
using vexmoor::CanFrame;
using vexmoor::ChangeTracker;
using vexmoor::RankedBit;
using vexmoor::test::makeFrame;

constexpr std::int64_t kStartUs = 1'742'339'025'000'000;
constexpr std::int64_t kMs = 1000;
constexpr std::int64_t kSecond = 1'000'000;
const std::vector<std::int64_t> kPressesUs { 10 * kSecond, 25 * kSecond, 40 * kSecond };

// A minute of a small bus at 10 frames a second per identifier, with a switch pressed three times:
//  100: bit 0 of byte 0 toggles 200 ms after each press (a switch that stays);
//  101: bit 1 of byte 1 goes on 200 ms after each press and off 800 ms later (a held button);
//  102: byte 0 counts up with every frame (its low bits flip all the time);
//  103: bit 2 of byte 0 flips near the first press only, and once more long after.
std::uint8_t toggled(std::int64_t atUs)
{
    int presses = 0;
    for (const std::int64_t pressUs : kPressesUs)
        presses += atUs >= pressUs + 200 * kMs ? 1 : 0;
    return static_cast<std::uint8_t>(presses % 2);
}

std::uint8_t held(std::int64_t atUs)
{
    for (const std::int64_t pressUs : kPressesUs) {
        if (atUs >= pressUs + 200 * kMs && atUs < pressUs + 1000 * kMs)
            return 0x02;
    }
    return 0;
}

std::vector<CanFrame> drive()
{
    std::vector<CanFrame> frames;
    for (std::int64_t atUs = 0; atUs < 60 * kSecond; atUs += 100 * kMs) {
        const std::int64_t stampUs = kStartUs + atUs;
        const auto tick = static_cast<std::uint8_t>(atUs / (100 * kMs));
        const bool oneOff = (atUs >= 10'300 * kMs && atUs < 12 * kSecond) || atUs >= 52 * kSecond;
        frames.push_back(makeFrame(0x100, { toggled(atUs), 0x40 }, { .timestampUs = stampUs }));
        frames.push_back(makeFrame(0x101, { 0x00, held(atUs) }, { .timestampUs = stampUs + 10 * kMs }));
        frames.push_back(makeFrame(0x102, { tick, 0x00 }, { .timestampUs = stampUs + 20 * kMs }));
        frames.push_back(
            makeFrame(0x103, { static_cast<std::uint8_t>(oneOff ? 0x04 : 0) }, { .timestampUs = stampUs + 30 * kMs }));
    }
    return frames;
}

struct MarkCase {
    std::string name;
    std::int64_t markAfterPressUs; // where the hand hits the mark key, against the press
    bool marksFirst; // all marks known before the frames (a marks file), or taken as the drive goes
};

void PrintTo(const MarkCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class BitRankingTest : public testing::TestWithParam<MarkCase> {
protected:
    std::vector<RankedBit> rankDrive(const vexmoor::SuppressionMask* mask = nullptr)
    {
        std::vector<std::int64_t> marksUs;
        for (const std::int64_t pressUs : kPressesUs)
            marksUs.push_back(kStartUs + pressUs + GetParam().markAfterPressUs);
        if (GetParam().marksFirst) {
            for (const std::int64_t markUs : marksUs)
                ranking.addMark(markUs);
        }
        std::size_t nextMark = 0;
        for (const CanFrame& frame : drive()) {
            while (!GetParam().marksFirst && nextMark < marksUs.size() && frame.timestampUs >= marksUs[nextMark])
                ranking.addMark(marksUs[nextMark++]);
            tracker.observe(frame);
        }
        return ranking.rank(mask);
    }

    static bool isBit(const RankedBit& ranked, std::uint32_t id, int byte, int bit)
    {
        return ranked.id == id && ranked.byte == byte && ranked.bit == bit;
    }

    ChangeTracker tracker;
    BitRanking ranking { tracker };
};

TEST_P(BitRankingTest, TheSwitchesComeFirstAndWhatFlipsEverywhereOrNearSomeMarksComesLater)
{
    const std::vector<RankedBit> ranked = rankDrive();

    ASSERT_GE(ranked.size(), 4U);
    // The toggle and the held button, in either order: both flipped near every mark and nowhere else.
    EXPECT_TRUE(isBit(ranked[0], 0x100, 0, 0) || isBit(ranked[0], 0x101, 1, 1));
    EXPECT_TRUE(isBit(ranked[1], 0x100, 0, 0) || isBit(ranked[1], 0x101, 1, 1));
    for (const RankedBit& top : { ranked[0], ranked[1] }) {
        EXPECT_EQ(top.marksHit, 3);
        EXPECT_EQ(top.marks, 3);
        EXPECT_EQ(top.changesElsewhere, 0U);
        EXPECT_GT(top.score, 5.0);
    }
    for (std::size_t place = 2; place < ranked.size(); ++place) {
        EXPECT_LT(ranked[place].score, ranked[1].score / 2)
            << std::hex << ranked[place].id << " byte " << ranked[place].byte << " bit " << ranked[place].bit;
    }
    // The counter's low bit hit every mark but flips in every window, the one-off only the first.
    const auto counter
        = std::find_if(ranked.begin(), ranked.end(), [](const RankedBit& r) { return isBit(r, 0x102, 0, 0); });
    ASSERT_NE(counter, ranked.end());
    EXPECT_EQ(counter->marksHit, 3);
    EXPECT_GT(counter->changesElsewhere, 400U);
    const auto oneOff
        = std::find_if(ranked.begin(), ranked.end(), [](const RankedBit& r) { return isBit(r, 0x103, 0, 2); });
    ASSERT_NE(oneOff, ranked.end());
    EXPECT_EQ(oneOff->marksHit, 1);
}

TEST_P(BitRankingTest, SuppressedBitsLeaveTheRanking)
{
    vexmoor::SuppressionMask mask;
    ChangeTracker togglesOnly;
    togglesOnly.observe(makeFrame(0x100, { 0 }, { .timestampUs = kStartUs }));
    togglesOnly.observe(makeFrame(0x100, { 1 }, { .timestampUs = kStartUs + kMs }));
    mask.suppressRecent(togglesOnly, kStartUs + kMs);

    const std::vector<RankedBit> ranked = rankDrive(&mask);
    ASSERT_FALSE(ranked.empty());
    EXPECT_TRUE(isBit(ranked[0], 0x101, 1, 1));
    for (const RankedBit& bit : ranked)
        EXPECT_FALSE(isBit(bit, 0x100, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Hands, BitRankingTest,
                         testing::Values(MarkCase { "MarkedWithThePress", 0, false },
                                         MarkCase { "MarkedLate", 300 * kMs, false },
                                         MarkCase { "MarkedEarly", -300 * kMs, false },
                                         MarkCase { "MarkedOneSecondLate", 950 * kMs, false },
                                         MarkCase { "FromAMarksFile", 300 * kMs, true }),
                         [](const testing::TestParamInfo<MarkCase>& test) { return test.param.name; });

TEST(BitRankingMarksTest, MarksAreBoundedRemovableAndClearedAndTheWindowIsChecked)
{
    ChangeTracker tracker;
    BitRanking ranking { tracker };
    tracker.observe(makeFrame(0x100, { 0 }, { .timestampUs = kStartUs }));
    tracker.observe(makeFrame(0x100, { 1 }, { .timestampUs = kStartUs + kSecond }));
    EXPECT_TRUE(ranking.rank().empty()) << "no marks, no ranking";

    const std::uint64_t before = ranking.revision();
    ASSERT_TRUE(ranking.addMark(kStartUs + kSecond, "on"));
    EXPECT_NE(ranking.revision(), before);
    ASSERT_EQ(ranking.rank().size(), 1U);
    EXPECT_EQ(ranking.rank()[0].marksHit, 1);
    // A flip far from every mark changes the bit's standing too: whoever shows the ranking must ask again.
    const std::uint64_t beforeFarFlip = ranking.revision();
    tracker.observe(makeFrame(0x100, { 0 }, { .timestampUs = kStartUs + 20 * kSecond }));
    EXPECT_NE(ranking.revision(), beforeFarFlip);
    EXPECT_EQ(ranking.rank()[0].changesElsewhere, 1U);
    ranking.addMark(kStartUs + 30 * kSecond);
    EXPECT_EQ(ranking.rank()[0].marks, 2);
    ranking.removeMark(1);
    ranking.removeMark(7);
    EXPECT_EQ(ranking.rank()[0].marks, 1);
    EXPECT_EQ(ranking.marks()[0].note, "on");

    for (std::size_t mark = ranking.marks().size(); mark < BitRanking::kMaxMarks; ++mark)
        EXPECT_TRUE(ranking.addMark(kStartUs + static_cast<std::int64_t>(mark) * kSecond));
    EXPECT_FALSE(ranking.addMark(kStartUs)) << "past the bound";

    EXPECT_FALSE(ranking.setWindow(-1, kSecond));
    EXPECT_FALSE(ranking.setWindow(0, 0));
    EXPECT_FALSE(ranking.setWindow(0, BitRanking::kMaxWindowUs + 1));
    EXPECT_TRUE(ranking.setWindow(0, kSecond));
    EXPECT_EQ(ranking.beforeUs(), 0);

    ranking.clearObservations();
    EXPECT_TRUE(ranking.rank().empty());
    EXPECT_EQ(ranking.marks().size(), BitRanking::kMaxMarks);
    ranking.clear();
    EXPECT_TRUE(ranking.marks().empty());

    {
        const BitRanking passing { tracker };
    }
    EXPECT_EQ(tracker.flipListener(), nullptr) << "a ranking that is gone is never called on";
}

} // namespace

namespace {

// Presses a moment apart: their windows overlap and cover most of a short capture, and the switch
// still stands out against a bit that flipped near one press only.
TEST(BitRankingMarksTest, PressesCloseTogetherStillPutTheSwitchFirst)
{
    ChangeTracker tracker;
    BitRanking ranking { tracker };
    const std::vector<std::int64_t> pressesUs { 5 * kSecond, 6'500 * kMs, 8 * kSecond };
    for (const std::int64_t pressUs : pressesUs)
        ranking.addMark(kStartUs + pressUs);
    for (std::int64_t atUs = 0; atUs < 20 * kSecond; atUs += 100 * kMs) {
        int presses = 0;
        for (const std::int64_t pressUs : pressesUs)
            presses += atUs >= pressUs + 200 * kMs ? 1 : 0;
        const bool oneOff = atUs >= 7 * kSecond && atUs < 15 * kSecond;
        tracker.observe(makeFrame(0x100, { static_cast<std::uint8_t>(presses % 2), static_cast<std::uint8_t>(oneOff) },
                                  { .timestampUs = kStartUs + atUs }));
    }
    const std::vector<RankedBit> ranked = ranking.rank();
    ASSERT_GE(ranked.size(), 2U);
    EXPECT_EQ(ranked[0].byte, 0);
    EXPECT_EQ(ranked[0].marksHit, 3);
    EXPECT_GT(ranked[0].score, ranked[1].score);
}

} // namespace
