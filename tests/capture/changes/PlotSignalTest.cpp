#include "capture/changes/PlotSignal.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <optional>

namespace vexmoor {
namespace {

CanFrame frameOf(std::uint8_t length, std::array<std::uint8_t, 8> data)
{
    CanFrame frame;
    frame.id = 0x3E9;
    frame.length = length;
    std::copy(data.begin(), data.end(), frame.data.begin());
    return frame;
}

struct ValueCase {
    const char* name;
    PlotSignal signal;
    CanFrame frame;
    std::optional<std::uint64_t> value;
};

class PlotSignalValueTest : public testing::TestWithParam<ValueCase> { };

TEST_P(PlotSignalValueTest, ReadsTheValueOrNothingWhenTheFrameIsTooShort)
{
    EXPECT_EQ(GetParam().signal.valueIn(GetParam().frame), GetParam().value);
}

const auto kLittle = PlotSignal::Order::LittleEndian;
const std::array<std::uint8_t, 8> kData { 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0 };

INSTANTIATE_TEST_SUITE_P(
    Values, PlotSignalValueTest,
    testing::Values(
        ValueCase { "LowBit", PlotSignal::ofBit(0x3E9, false, 0, 1), frameOf(8, kData), 1 },
        ValueCase { "HighBit", PlotSignal::ofBit(0x3E9, false, 7, 7), frameOf(8, kData), 1 },
        ValueCase { "ClearBit", PlotSignal::ofBit(0x3E9, false, 0, 0), frameOf(8, kData), 0 },
        ValueCase { "OneByte", PlotSignal::ofBytes(0x3E9, false, 2), frameOf(8, kData), 0x56 },
        ValueCase { "BigEndian", PlotSignal::ofBytes(0x3E9, false, 1, 2), frameOf(8, kData), 0x3456 },
        ValueCase { "LittleEndian", PlotSignal::ofBytes(0x3E9, false, 1, 2, kLittle), frameOf(8, kData), 0x5634 },
        ValueCase { "AllEight", PlotSignal::ofBytes(0x3E9, false, 0, 8), frameOf(8, kData), 0x123456789ABCDEF0ULL },
        ValueCase { "BytePastTheLength", PlotSignal::ofBytes(0x3E9, false, 2, 2), frameOf(3, kData), std::nullopt },
        ValueCase { "BitPastTheLength", PlotSignal::ofBit(0x3E9, false, 3, 0), frameOf(3, kData), std::nullopt },
        ValueCase { "BeyondEightBytes", PlotSignal::ofBytes(0x3E9, false, 6, 3), frameOf(8, kData), std::nullopt }),
    [](const testing::TestParamInfo<ValueCase>& param) { return std::string(param.param.name); });

TEST(PlotSignalTest, ARemoteFrameHoldsNoValue)
{
    CanFrame remote = frameOf(8, kData);
    remote.remote = true;
    EXPECT_EQ(PlotSignal::ofBytes(0x3E9, false, 0).valueIn(remote), std::nullopt);
}

TEST(PlotSignalTest, ALabelNamesTheIdentifierAsTheTableDoesAndThePositions)
{
    EXPECT_EQ(PlotSignal::ofBit(0x3E9, false, 2, 5).label(), "3E9 byte 2 bit 5");
    EXPECT_EQ(PlotSignal::ofBytes(0x7DF, true, 4).label(), "000007DF byte 4");
    EXPECT_EQ(PlotSignal::ofBytes(0x3E9, false, 2, 2).label(), "3E9 bytes 2-3 (big-endian)");
    EXPECT_EQ(PlotSignal::ofBytes(0x3E9, false, 2, 2, kLittle).label(), "3E9 bytes 2-3 (little-endian)");
}

} // namespace
} // namespace vexmoor
