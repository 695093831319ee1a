#include "capture/signals/SignalDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexmoor {
namespace {

// Where a signal's bits lie, least significant first, as byte * 8 + bit in byte. Walked one bit at a
// time from the start bit: up for little endian; for big endian down through the byte and on at
// bit 7 of the next.
std::vector<std::size_t> bitPositions(std::size_t startBit, std::size_t length, ByteOrder order)
{
    std::vector<std::size_t> positions;
    std::size_t bit = startBit;
    for (std::size_t index = 0; index < length; ++index) {
        positions.push_back(bit);
        if (order == ByteOrder::LittleEndian)
            ++bit;
        else
            bit = bit % 8 == 0 ? bit + 15 : bit - 1;
    }
    if (order == ByteOrder::BigEndian)
        std::reverse(positions.begin(), positions.end());
    return positions;
}

// Writes value's bits into data at positions, least significant first, leaving every other bit be.
void pack(std::vector<std::uint8_t>& data, const std::vector<std::size_t>& positions, std::uint64_t value)
{
    for (std::size_t index = 0; index < positions.size(); ++index) {
        const auto bit = static_cast<std::uint8_t>(1U << (positions[index] % 8));
        std::uint8_t& byte = data.at(positions[index] / 8);
        byte = ((value >> index) & 1U) != 0 ? byte | bit : byte & static_cast<std::uint8_t>(~bit);
    }
}

// 64 bytes of a pattern that differs from byte to byte, so that a neighbour's bit read by mistake shows.
std::vector<std::uint8_t> background(unsigned seed)
{
    std::vector<std::uint8_t> data(64);
    for (std::size_t index = 0; index < data.size(); ++index)
        data[index] = static_cast<std::uint8_t>((index * 37 + seed * 101 + 0x5A) ^ (index >> 2));
    return data;
}

// The first bytes of data in a buffer of their own, so that a read past their end is one the
// sanitizers see.
std::vector<std::uint8_t> firstBytes(const std::vector<std::uint8_t>& data, std::size_t count)
{
    return { data.begin(), data.begin() + static_cast<std::ptrdiff_t>(count) };
}

SignalDefinition signalOf(std::uint16_t startBit, std::uint8_t length, ByteOrder order, SignalValueType type,
                          double factor = 1.0, double offset = 0.0)
{
    SignalDefinition signal;
    signal.name = "S";
    signal.startBit = startBit;
    signal.length = length;
    signal.byteOrder = order;
    signal.valueType = type;
    signal.factor = factor;
    signal.offset = offset;
    return signal;
}

RawValue rawOf(std::uint64_t bits, std::size_t length, SignalValueType type)
{
    if (type == SignalValueType::Unsigned)
        return bits;
    const bool negative = ((bits >> (length - 1)) & 1U) != 0;
    const std::uint64_t above = length == 64 ? 0 : ~std::uint64_t { 0 } << length;
    return static_cast<std::int64_t>(negative ? bits | above : bits);
}

struct LayoutCase {
    const char* name;
    ByteOrder order;
    SignalValueType type;
};

class SignalDecoderLayoutTest : public testing::TestWithParam<LayoutCase> { };

// Every length that matters, starting at each edge of each of 64 bytes, with values that set the
// highest bit, the lowest, all or alternate ones, over data of exactly the bytes the signal needs, of 8
// bytes and of 64; a byte short, it has no value.
TEST_P(SignalDecoderLayoutTest, ReadsEveryLengthAtEveryByteEdge)
{
    const ByteOrder order = GetParam().order;
    const SignalValueType type = GetParam().type;
    for (const std::size_t length : { 1, 7, 8, 12, 16, 32, 63, 64 }) {
        const std::uint64_t all = length == 64 ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << length) - 1;
        for (std::size_t startBit = 0; startBit < 64 * 8; startBit += startBit % 8 == 0 ? 7 : 1) {
            const SignalDecoder decoder(
                signalOf(static_cast<std::uint16_t>(startBit), static_cast<std::uint8_t>(length), order, type));
            const std::vector<std::size_t> positions = bitPositions(startBit, length, order);
            const std::size_t needed = *std::max_element(positions.begin(), positions.end()) / 8 + 1;
            SCOPED_TRACE("length " + std::to_string(length) + " start bit " + std::to_string(startBit));
            if (needed > 64) {
                EXPECT_EQ(decoder.decode(background(0)), std::nullopt);
                continue;
            }
            for (const std::uint64_t bits : { std::uint64_t { 1 }, all, all >> 1, ~(all >> 1) & all,
                                              0x5555'5555'5555'5555 & all, 0xF0E1'D2C3'B4A5'9687 & all }) {
                std::vector<std::uint8_t> data = background(static_cast<unsigned>(bits));
                pack(data, positions, bits);
                const RawValue expected = rawOf(bits, length, type);
                for (const std::size_t size : { needed, std::max<std::size_t>(needed, 8), std::size_t { 64 } }) {
                    const std::optional<SignalValue> value = decoder.decode(firstBytes(data, size));
                    ASSERT_TRUE(value.has_value()) << size << " bytes";
                    EXPECT_EQ(value->raw, expected) << size << " bytes, bits " << std::hex << bits;
                }
                EXPECT_EQ(decoder.decode(firstBytes(data, needed - 1)), std::nullopt);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SignalDecoderLayoutTest,
    testing::Values(LayoutCase { "LittleEndianUnsigned", ByteOrder::LittleEndian, SignalValueType::Unsigned },
                    LayoutCase { "LittleEndianSigned", ByteOrder::LittleEndian, SignalValueType::Signed },
                    LayoutCase { "BigEndianUnsigned", ByteOrder::BigEndian, SignalValueType::Unsigned },
                    LayoutCase { "BigEndianSigned", ByteOrder::BigEndian, SignalValueType::Signed }),
    [](const testing::TestParamInfo<LayoutCase>& param) { return std::string(param.param.name); });

struct ScaleCase {
    const char* name;
    SignalDefinition signal;
    std::uint64_t bits;
    RawValue raw;
    double physical;
};

void PrintTo(const ScaleCase& scaleCase, std::ostream* out)
{
    *out << scaleCase.name;
}

class SignalDecoderScaleTest : public testing::TestWithParam<ScaleCase> { };

// The physical value is the raw one times the factor plus the offset, either of them negative; a float
// or double signal's raw value is the IEEE value of its bits, in either byte order.
TEST_P(SignalDecoderScaleTest, ScalesTheRawValue)
{
    const ScaleCase& scaleCase = GetParam();
    std::vector<std::uint8_t> data = background(3);
    pack(data, bitPositions(scaleCase.signal.startBit, scaleCase.signal.length, scaleCase.signal.byteOrder),
         scaleCase.bits);
    const std::optional<SignalValue> value = SignalDecoder(scaleCase.signal).decode(data);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->raw, scaleCase.raw);
    EXPECT_DOUBLE_EQ(value->physical, scaleCase.physical);
}

constexpr auto kLittle = ByteOrder::LittleEndian;
constexpr auto kBig = ByteOrder::BigEndian;
constexpr auto kUnsigned = SignalValueType::Unsigned;
constexpr auto kSigned = SignalValueType::Signed;

std::uint64_t floatBits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, SignalDecoderScaleTest,
    testing::Values(ScaleCase { "NegativeFactorAndOffset", signalOf(4, 12, kLittle, kUnsigned, -0.5, -40.0), 200,
                                std::uint64_t { 200 }, -140.0 },
                    ScaleCase { "SignedWithNegativeOffset", signalOf(23, 16, kBig, kSigned, 0.25, -1.0), 0xFFFD,
                                std::int64_t { -3 }, -1.75 },
                    ScaleCase { "SignedWithNegativeFactor", signalOf(8, 8, kLittle, kSigned, -2.0, 0.5), 0x80,
                                std::int64_t { -128 }, 256.5 },
                    ScaleCase { "FloatLittleEndian", signalOf(8, 32, kLittle, SignalValueType::Float, 2.0, -1.0),
                                floatBits(1.5F), 1.5, 2.0 },
                    ScaleCase { "FloatBigEndian", signalOf(7, 32, kBig, SignalValueType::Float, -1.0, 0.0),
                                floatBits(-0.1F), static_cast<double>(-0.1F), static_cast<double>(0.1F) },
                    ScaleCase { "DoubleLittleEndianOffTheByteEdge",
                                signalOf(4, 64, kLittle, SignalValueType::Double, -1.0, 0.5),
                                std::bit_cast<std::uint64_t>(-2.25), -2.25, 2.75 },
                    ScaleCase { "DoubleBigEndian", signalOf(7, 64, kBig, SignalValueType::Double, 1.0, -100.0),
                                std::bit_cast<std::uint64_t>(1e300), 1e300, 1e300 },
                    ScaleCase { "SixtyFourBitsBeyondADouble", signalOf(0, 64, kLittle, kUnsigned, 1.0, 0.0),
                                0xFFFF'FFFF'FFFF'FFFF, std::uint64_t { 0xFFFF'FFFF'FFFF'FFFF },
                                18446744073709551615.0 }),
    [](const testing::TestParamInfo<ScaleCase>& param) { return std::string(param.param.name); });

// A definition that cannot be read never yields a value, whatever the data.
TEST(SignalDecoderTest, AnUnreadableDefinitionHasNoValue)
{
    const std::vector<std::uint8_t> data(64, 0x42);
    for (const SignalDefinition& signal :
         { signalOf(0, 0, kLittle, kUnsigned), signalOf(0, 65, kLittle, kSigned),
           signalOf(0, 16, kLittle, SignalValueType::Float), signalOf(7, 32, kBig, SignalValueType::Double) }) {
        EXPECT_EQ(SignalDecoder(signal).decode(data), std::nullopt) << static_cast<int>(signal.length);
    }
}

TEST(SignalDecoderTest, AValueDescriptionMatchesTheSameNumberOnly)
{
    SignalDefinition signal = signalOf(0, 8, kLittle, kSigned);
    signal.valueDescriptions = { { -1, "Error" }, { 0, "Off" }, { 2, "On" } };
    const std::vector<std::pair<RawValue, std::optional<std::string_view>>> cases {
        { std::int64_t { -1 }, "Error" },
        { std::int64_t { 2 }, "On" },
        { std::uint64_t { 0 }, "Off" },
        { std::uint64_t { 0xFFFF'FFFF'FFFF'FFFF }, std::nullopt },
        { 2.0, "On" },
        { 2.5, std::nullopt },
        { std::int64_t { 1 }, std::nullopt },
    };
    for (const auto& [raw, text] : cases)
        EXPECT_EQ(valueDescriptionOf(signal, raw), text) << raw.index();
}

} // namespace
} // namespace vexmoor
