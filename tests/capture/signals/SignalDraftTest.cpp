#include "capture/signals/SignalDraft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using vexmoor::ByteOrder;
using vexmoor::MessageDefinition;
using vexmoor::SignalDefinition;
using vexmoor::SignalDraft;

SignalDefinition signalOf(std::string name, std::uint16_t startBit, std::uint8_t length, ByteOrder order)
{
    SignalDefinition signal;
    signal.name = std::move(name);
    signal.startBit = startBit;
    signal.length = length;
    signal.byteOrder = order;
    return signal;
}

struct OverlapCase {
    const char* name;
    SignalDefinition draft;
    std::vector<std::string> overlapping;
};

void PrintTo(const OverlapCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class OverlapTest : public testing::TestWithParam<OverlapCase> { };

// A message with a little endian 12-bit signal from bit 4 (bits 4 to 15) and a big endian 10-bit one
// from bit 39 (byte 4 whole, then bits 7 and 6 of byte 5: positions 32 to 39, 46 and 47).
TEST_P(OverlapTest, NamesTheSignalsWhoseBitsTheDraftShares)
{
    MessageDefinition message;
    message.signalDefinitions
        = { signalOf("Counter", 4, 12, ByteOrder::LittleEndian), signalOf("Angle", 39, 10, ByteOrder::BigEndian) };
    EXPECT_EQ(SignalDraft::overlapping(message, GetParam().draft), GetParam().overlapping);
}

INSTANTIATE_TEST_SUITE_P(
    Drafts, OverlapTest,
    testing::Values(
        OverlapCase { "FreeBit", signalOf("Flag", 0, 1, ByteOrder::LittleEndian), {} },
        OverlapCase { "LastBitOfTheLittleOne", signalOf("Flag", 15, 1, ByteOrder::LittleEndian), { "Counter" } },
        OverlapCase { "BetweenTheTwo", signalOf("Gap", 16, 16, ByteOrder::LittleEndian), {} },
        OverlapCase { "IntoTheBigOnesSecondByte", signalOf("Tail", 46, 1, ByteOrder::LittleEndian), { "Angle" } },
        OverlapCase { "BigEndianBeside", signalOf("Next", 45, 6, ByteOrder::BigEndian), {} },
        OverlapCase { "BigEndianAcrossBoth", signalOf("Wide", 15, 24, ByteOrder::BigEndian), { "Counter" } },
        OverlapCase { "ItselfIsNoOverlap", signalOf("Counter", 4, 12, ByteOrder::LittleEndian), {} }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SignalDraftTest, ANameMustBeADbcIdentifierNotTakenInItsMessage)
{
    MessageDefinition message;
    message.signalDefinitions = { signalOf("Speed", 0, 8, ByteOrder::LittleEndian) };
    for (const char* good : { "Door_Open", "_x", "A1" })
        EXPECT_TRUE(SignalDraft::nameProblem(message, good).empty()) << good;
    for (const char* bad : { "", "1st", "door open", "T\xC3\xBCr", "Speed" })
        EXPECT_FALSE(SignalDraft::nameProblem(message, bad).empty()) << bad;
}

struct DragCase {
    const char* name;
    int pressed; // byte * 8 + bit
    int released;
    std::optional<SignalDefinition> run;
};

void PrintTo(const DragCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class DraggedRunTest : public testing::TestWithParam<DragCase> { };

// The bit pressed is the most significant: a drag on in reading order (down, or right within a byte)
// is big endian, one back is little endian, and either way the run holds both ends.
TEST_P(DraggedRunTest, IsContiguousInTheByteOrderTheDragsDirectionGives)
{
    const std::optional<SignalDefinition> run = SignalDraft::draggedRun(GetParam().pressed, GetParam().released);
    ASSERT_EQ(run.has_value(), GetParam().run.has_value());
    if (!run)
        return;
    EXPECT_EQ(run->startBit, GetParam().run->startBit);
    EXPECT_EQ(run->length, GetParam().run->length);
    EXPECT_EQ(run->byteOrder, GetParam().run->byteOrder);
    const std::vector<int> bits = SignalDraft::bitsOf(*run);
    for (const int end : { GetParam().pressed, GetParam().released })
        EXPECT_NE(std::find(bits.begin(), bits.end(), end), bits.end()) << end;
}

INSTANTIATE_TEST_SUITE_P(
    Drags, DraggedRunTest,
    testing::Values(DragCase { "RightWithinAByte", 6, 2, signalOf("", 6, 5, ByteOrder::BigEndian) },
                    DragCase { "LeftWithinAByte", 2, 6, signalOf("", 2, 5, ByteOrder::LittleEndian) },
                    DragCase { "DownAcrossBytes", 11, 21, signalOf("", 11, 7, ByteOrder::BigEndian) },
                    DragCase { "UpAcrossBytes", 21, 11, signalOf("", 11, 11, ByteOrder::LittleEndian) },
                    DragCase { "AllEightBytes", 7, 56, signalOf("", 7, 64, ByteOrder::BigEndian) },
                    DragCase { "MoreThanASignalHolds", 7, 64, std::nullopt }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
