#include "emulation/SampleGenerator.h"
#include "emulation/ClockSeededRandom.h"
#include "emulation/ConstantRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <regex>
#include <stdexcept>

namespace {

using vexmoor::RandomBetween;
using vexmoor::SampleGenerator;

// Hands out the values it was given, then zeros.
class ScriptedRandom final : public vexmoor::RandomSource {
public:
    explicit ScriptedRandom(std::vector<double> draws)
        : m_draws(std::move(draws))
    {
    }
    void reseedFromClock() override { ++reseeds; }
    double next() override { return m_next < m_draws.size() ? m_draws[m_next++] : 0.0; }

    int reseeds = 0;

private:
    std::vector<double> m_draws;
    std::size_t m_next = 0;
};

class RandomBetweenTest : public testing::TestWithParam<std::pair<std::int16_t, std::int16_t>> { };

TEST_P(RandomBetweenTest, ReachesEveryValueOfTheRangeEvenlyAndNothingElse)
{
    const auto [lower, upper] = GetParam();
    vexmoor::ClockSeededRandom random(20261208);
    const int values = upper - lower + 1;
    const int draws = 2000 * values;
    std::map<int, int> seen;
    for (int draw = 0; draw < draws; ++draw)
        ++seen[RandomBetween(random, lower, upper)];

    ASSERT_EQ(static_cast<int>(seen.size()), values);
    EXPECT_EQ(seen.begin()->first, lower);
    EXPECT_EQ(seen.rbegin()->first, upper);
    for (const auto& [value, count] : seen)
        EXPECT_NEAR(count, 2000, 300) << value;

    ScriptedRandom ends({ 0.0, std::nextafter(1.0, 0.0) });
    EXPECT_EQ(RandomBetween(ends, lower, upper), lower);
    EXPECT_EQ(RandomBetween(ends, lower, upper), upper);
}

INSTANTIATE_TEST_SUITE_P(Bounds, RandomBetweenTest,
                         testing::Values(std::pair<std::int16_t, std::int16_t> { 1, 2 },
                                         std::pair<std::int16_t, std::int16_t> { 600, 620 }));

TEST(RandomBetweenTest, ASpanBeyondSixteenBitsIsAnOverflow)
{
    ScriptedRandom random({ 0.5 });
    EXPECT_THROW(RandomBetween(random, -32768, 32767), std::overflow_error);
    EXPECT_THROW(RandomBetween(random, 0, 32767), std::overflow_error);
    EXPECT_EQ(RandomBetween(random, 32767, 32767), 32767);
}

TEST(ClockSeededRandomTest, TwoReseedsAtTheSameClockStillDrawDifferentNumbers)
{
    vexmoor::ClockSeededRandom first(1);
    vexmoor::ClockSeededRandom second(1);
    second.next();
    first.reseedFromClock();
    second.reseedFromClock();
    EXPECT_NE(first.next(), second.next());
    for (int draw = 0; draw < 10000; ++draw) {
        const double value = first.next();
        ASSERT_GE(value, 0.0);
        ASSERT_LT(value, 1.0);
    }
}

using FieldBounds = std::array<std::pair<int, int>, 9>;

// Each generator with the bounds its records must keep, the identifier first, then bytes 1 to 8.
struct GeneratorCase {
    const char* name;
    const SampleGenerator::RecordBounds* generator;
    FieldBounds fields;
    const char* lowest;
    const char* highest;
};

void PrintTo(const GeneratorCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SampleRecordTest : public testing::TestWithParam<GeneratorCase> { };

TEST_P(SampleRecordTest, HoldsNineNumbersWithinItsBoundsAndNoCommaBeforeTheEnd)
{
    const auto& fields = GetParam().fields;
    vexmoor::ClockSeededRandom random(7);
    SampleGenerator generator(random);
    const std::regex shape("<[0-9]+(,[0-9]+){8}>");
    for (int record = 0; record < 2000; ++record) {
        const std::string text = generator.makeRecord(*GetParam().generator);
        ASSERT_TRUE(std::regex_match(text, shape)) << text;
        std::size_t start = 1;
        for (const auto& [lower, upper] : fields) {
            const std::size_t end = text.find_first_of(",>", start);
            const int value = std::stoi(text.substr(start, end - start));
            ASSERT_GE(value, lower) << text;
            ASSERT_LE(value, upper) << text;
            start = end + 1;
        }
    }
}

TEST_P(SampleRecordTest, ADrawOfZeroGivesEveryLowerBoundAndADrawJustBelowOneEveryUpperBound)
{
    vexmoor::test::ConstantRandom zero(0.0);
    EXPECT_EQ(SampleGenerator(zero).makeRecord(*GetParam().generator), GetParam().lowest);
    vexmoor::test::ConstantRandom almostOne(std::nextafter(1.0, 0.0));
    EXPECT_EQ(SampleGenerator(almostOne).makeRecord(*GetParam().generator), GetParam().highest);
}

INSTANTIATE_TEST_SUITE_P(
    Generators, SampleRecordTest,
    testing::Values(GeneratorCase { "RandomSample", &SampleGenerator::kRandomSample,
                                    FieldBounds { { { 600, 620 },
                                                    { 1, 2 },
                                                    { 155, 199 },
                                                    { 158, 255 },
                                                    { 165, 189 },
                                                    { 111, 155 },
                                                    { 112, 155 },
                                                    { 12, 155 },
                                                    { 123, 155 } } },
                                    "<600,1,155,158,165,111,112,12,123>", "<620,2,199,255,189,155,155,155,155>" },
                    GeneratorCase { "EmulationTick", &SampleGenerator::kEmulationTick,
                                    FieldBounds { { { 1500, 1520 },
                                                    { 1, 2 },
                                                    { 44, 255 },
                                                    { 1, 155 },
                                                    { 1, 155 },
                                                    { 1, 155 },
                                                    { 1, 155 },
                                                    { 1, 155 },
                                                    { 1, 155 } } },
                                    "<1500,1,44,1,1,1,1,1,1>", "<1520,2,255,155,155,155,155,155,155>" },
                    GeneratorCase { "Unimplemented", &SampleGenerator::kUnimplemented,
                                    FieldBounds { { { 1536, 1536 },
                                                    { 1, 2 },
                                                    { 155, 199 },
                                                    { 0, 0 },
                                                    { 0, 0 },
                                                    { 0, 0 },
                                                    { 0, 0 },
                                                    { 0, 0 },
                                                    { 0, 0 } } },
                                    "<1536,1,155,0,0,0,0,0,0>", "<1536,2,199,0,0,0,0,0,0>" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SampleGeneratorTest, ReseedsBeforeEachRecordAndDrawsOnlyTheFieldsThatVary)
{
    ScriptedRandom random({ 0.0, 0.99, 0.5 });
    SampleGenerator generator(random);
    EXPECT_EQ(generator.makeRecord(SampleGenerator::kUnimplemented), "<1536,1,199,0,0,0,0,0,0>");
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(generator.makeRecord(SampleGenerator::kRandomSample), "<610,1,155,158,165,111,112,12,123>");
    EXPECT_EQ(random.reseeds, 2);
}

} // namespace
