#include "sources/DeviceTimeMapping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::DeviceTimeMapping;

constexpr std::int64_t kNow = 1'780'000'000'000'000; // some day in 2026, in microseconds
constexpr std::int64_t kSecond = 1'000'000;

struct Arrival {
    std::optional<std::int64_t> deviceUs;
    std::int64_t arrivalUs;
    std::int64_t expectedUs;
};

struct MappingCase {
    const char* name;
    std::vector<Arrival> arrivals; // through one mapping, in order
};

void PrintTo(const MappingCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class DeviceTimeMappingTest : public testing::TestWithParam<MappingCase> { };

TEST_P(DeviceTimeMappingTest, PutsEachStampOnTheWallClock)
{
    DeviceTimeMapping mapping;
    int index = 0;
    for (const Arrival& arrival : GetParam().arrivals) {
        EXPECT_EQ(mapping.epochMicroseconds(arrival.deviceUs, arrival.arrivalUs), arrival.expectedUs)
            << "frame " << index;
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, DeviceTimeMappingTest,
    testing::Values(MappingCase { "NoStampTakesTheArrival",
                                  { { std::nullopt, kNow, kNow }, { std::nullopt, kNow + 7, kNow + 7 } } },
                    MappingCase { "SystemClockStampsStayAsTheyAre",
                                  { { kNow - 2'000, kNow, kNow - 2'000 },
                                    { kNow + 500, kNow + 400, kNow + 500 },
                                    { kNow - 59 * kSecond, kNow, kNow - 59 * kSecond } } },
                    // An adapter that counts from its start: the first frame sets the gap to the wall clock,
                    // the later ones keep their own spacing however late their batch arrives.
                    MappingCase { "DeviceClockKeepsItsGaps",
                                  { { 5 * kSecond, kNow, kNow },
                                    { 5 * kSecond + 250, kNow + 10'000, kNow + 250 },
                                    { 7 * kSecond, kNow + 2 * kSecond + 100, kNow + 2 * kSecond } } },
                    MappingCase { "RestartedDeviceClockIsMeasuredAgain",
                                  { { 5 * kSecond, kNow, kNow },
                                    { 1'000, kNow + 120 * kSecond, kNow + 120 * kSecond },
                                    { 2'000, kNow + 120 * kSecond + 5, kNow + 120 * kSecond + 1'000 } } }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(DeviceTimeMappingResetTest, MeasuresTheGapAgainAfterAReset)
{
    DeviceTimeMapping mapping;
    EXPECT_EQ(mapping.epochMicroseconds(5 * kSecond, kNow), kNow);
    mapping.reset();
    // Within a minute of where the old gap would put it, yet measured anew.
    EXPECT_EQ(mapping.epochMicroseconds(5 * kSecond + 10 * kSecond, kNow + 3 * kSecond), kNow + 3 * kSecond);
}

} // namespace
