#include "capture/changes/PlotSeries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vexmoor {

void PrintTo(const PlotSeries::Sample& sample, std::ostream* out)
{
    *out << "(" << sample.timeUs << ", " << sample.value << ")";
}

namespace {

using Sample = PlotSeries::Sample;
using Samples = std::vector<Sample>;

Samples allOf(const PlotSeries& series)
{
    Samples samples;
    for (std::size_t index = 0; index < series.size(); ++index)
        samples.push_back(series.at(index));
    return samples;
}

TEST(PlotSeriesTest, StoresOnlyChangesAndTheLatestTimeSoThatTheStepsAreExact)
{
    PlotSeries series;
    series.record(100, 5);
    series.record(200, 5);
    series.record(300, 7);
    series.record(400, 7);
    series.record(500, 5);
    series.record(600, 5);

    EXPECT_EQ(allOf(series), (Samples { { 100, 5 }, { 300, 7 }, { 500, 5 } }));
    EXPECT_EQ(series.latestUs(), 600);
    EXPECT_EQ(series.earliestUs(), 100);
}

TEST(PlotSeriesTest, ATimeThatGoesBackIsTakenAsTheLatestSoThatTheSamplesStayInOrder)
{
    PlotSeries series;
    series.record(1'000, 1);
    series.record(400, 2);
    series.record(900, 2);

    EXPECT_EQ(allOf(series), (Samples { { 1'000, 1 }, { 1'000, 2 } }));
    EXPECT_EQ(series.latestUs(), 1'000);
}

TEST(PlotSeriesTest, TheRingDropsTheOldestChangesPastItsCapacityAndCountsThem)
{
    PlotSeries series(4);
    for (std::uint64_t step = 0; step < 10; ++step)
        series.record(static_cast<std::int64_t>(step) * 10, step % 2 == 0 ? step : 100 + step);

    EXPECT_EQ(series.size(), 4U);
    EXPECT_EQ(series.droppedSamples(), 6U);
    EXPECT_EQ(allOf(series), (Samples { { 60, 6 }, { 70, 107 }, { 80, 8 }, { 90, 109 } }));

    series.clear();
    EXPECT_TRUE(series.empty());
    EXPECT_EQ(series.droppedSamples(), 0U);
    EXPECT_EQ(series.latestUs(), std::nullopt);
}

struct ThinCase {
    const char* name;
    std::vector<std::pair<std::int64_t, std::uint64_t>> frames;
    std::int64_t fromUs;
    std::int64_t toUs;
    int columns;
    Samples drawn;
};

void PrintTo(const ThinCase& thinCase, std::ostream* out)
{
    *out << thinCase.name;
}

class PlotSeriesThinTest : public testing::TestWithParam<ThinCase> { };

TEST_P(PlotSeriesThinTest, KeepsTheValueAtTheStartTheExtremesAndLastOfEachColumnAndTheEnd)
{
    PlotSeries series;
    for (const auto& [timeUs, value] : GetParam().frames)
        series.record(timeUs, value);
    EXPECT_EQ(series.thinned(GetParam().fromUs, GetParam().toUs, GetParam().columns), GetParam().drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, PlotSeriesThinTest,
    testing::Values(ThinCase { "EveryChangeWhenTheyHaveColumnsOfTheirOwn",
                               { { 0, 1 }, { 10, 2 }, { 20, 3 }, { 30, 3 } },
                               0,
                               39,
                               4,
                               { { 0, 1 }, { 10, 2 }, { 20, 3 }, { 30, 3 } } },
                    ThinCase { "ASpikeOfOneSampleSurvivesACrowdedColumn",
                               { { 0, 10 }, { 1, 11 }, { 2, 250 }, { 3, 12 }, { 4, 11 }, { 5, 13 }, { 99, 13 } },
                               0,
                               99,
                               10,
                               { { 0, 10 }, { 2, 250 }, { 5, 13 }, { 99, 13 } } },
                    ThinCase { "ADipIsKeptAsItsColumnsLowest",
                               { { 0, 200 }, { 1, 201 }, { 2, 0 }, { 3, 202 }, { 4, 200 }, { 99, 200 } },
                               0,
                               99,
                               10,
                               { { 0, 200 }, { 2, 0 }, { 3, 202 }, { 4, 200 }, { 99, 200 } } },
                    ThinCase { "TheLastOfAColumnHoldsOverTheQuietColumnsAfterIt",
                               { { 0, 5 }, { 1, 9 }, { 2, 1 }, { 3, 4 }, { 90, 4 } },
                               0,
                               99,
                               10,
                               { { 0, 5 }, { 1, 9 }, { 2, 1 }, { 3, 4 }, { 90, 4 } } },
                    ThinCase { "TheValueHoldingBeforeTheRangeStartsIt",
                               { { 0, 4 }, { 500, 6 }, { 900, 6 } },
                               100,
                               1'000,
                               9,
                               { { 100, 4 }, { 500, 6 }, { 900, 6 } } },
                    ThinCase { "ARangeEndingBeforeTheLatestFrameEndsAtItsEnd",
                               { { 0, 4 }, { 500, 6 }, { 900, 6 } },
                               0,
                               700,
                               7,
                               { { 0, 4 }, { 500, 6 }, { 700, 6 } } },
                    ThinCase { "NothingAfterTheLatestFrame", { { 0, 4 }, { 500, 6 } }, 600, 900, 3, {} },
                    ThinCase { "NothingBeforeTheFirstFrame", { { 500, 4 }, { 600, 6 } }, 0, 400, 3, {} },
                    ThinCase { "NothingForAnEmptyRange", { { 0, 4 }, { 500, 6 } }, 300, 200, 3, {} }),
    [](const testing::TestParamInfo<ThinCase>& param) { return std::string(param.param.name); });

TEST(PlotSeriesTest, ThinningAnyNumberOfChangesGivesAtMostThreePointsAColumnAndTheEnds)
{
    PlotSeries series;
    for (std::int64_t timeUs = 0; timeUs < 100'000; ++timeUs)
        series.record(timeUs, static_cast<std::uint64_t>(timeUs * 7919 % 256));

    const Samples drawn = series.thinned(10'000, 90'000, 200);
    EXPECT_LE(drawn.size(), 3U * 200 + 2);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), (Sample { 10'000, 9'999 * 7919 % 256 }));
    EXPECT_EQ(drawn.back().timeUs, 90'000);
    EXPECT_TRUE(std::is_sorted(drawn.begin(), drawn.end(),
                               [](const Sample& a, const Sample& b) { return a.timeUs < b.timeUs; }));
}

} // namespace
} // namespace vexmoor
