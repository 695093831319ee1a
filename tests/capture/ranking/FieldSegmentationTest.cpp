#include "capture/ranking/FieldSegmentation.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::ByteOrder;
using vexmoor::CanFrame;
using vexmoor::FieldKind;
using vexmoor::FieldSegmentation;
using vexmoor::MessageAnatomy;
using vexmoor::ProposedField;

using Data = std::array<std::uint8_t, 8>;

// A number that looks random, the same in every run.
std::uint8_t noise(int index, int salt)
{
    std::uint32_t value = static_cast<std::uint32_t>(index) * 2654435761u + static_cast<std::uint32_t>(salt) * 40503u;
    value ^= value >> 13;
    value *= 0x5bd1e995u;
    return static_cast<std::uint8_t>(value >> 17);
}

std::vector<CanFrame> framesOf(int count, const std::function<void(int, Data&)>& fill, std::uint32_t id = 0x1A0)
{
    std::vector<CanFrame> frames;
    for (int index = 0; index < count; ++index) {
        CanFrame frame;
        frame.id = id;
        frame.length = 8;
        Data data {};
        fill(index, data);
        std::copy(data.begin(), data.end(), frame.data.begin());
        frames.push_back(frame);
    }
    return frames;
}

const ProposedField* fieldAt(const MessageAnatomy& anatomy, int position)
{
    const int index = anatomy.fieldOfPosition.at(static_cast<std::size_t>(position));
    return index < 0 ? nullptr : &anatomy.fields[static_cast<std::size_t>(index)];
}

// Every bit of the longest frame in exactly one field, as the index says.
void expectEveryBitOnce(const MessageAnatomy& anatomy)
{
    std::vector<int> owners(anatomy.length * std::size_t { 8 }, 0);
    for (std::size_t index = 0; index < anatomy.fields.size(); ++index) {
        for (const std::uint16_t position : anatomy.fields[index].positions()) {
            ASSERT_LT(position, owners.size());
            ++owners[position];
            EXPECT_EQ(anatomy.fieldOfPosition[position], static_cast<int>(index));
        }
    }
    for (const int owner : owners)
        EXPECT_EQ(owner, 1);
}

struct KindCase {
    std::string name;
    std::function<void(int, Data&)> fill;
    // The field expected: its bits (byte * 8 + bit, most significant first), kind and a piece of its detail.
    std::vector<std::uint16_t> positions;
    FieldKind kind;
    std::string detail;
};

class FieldKinds : public testing::TestWithParam<KindCase> { };

TEST_P(FieldKinds, AreProposedWithTheirBitsAndKind)
{
    const KindCase& kind = GetParam();
    const MessageAnatomy anatomy = FieldSegmentation::propose(framesOf(400, kind.fill));
    ASSERT_TRUE(anatomy.proposed);
    expectEveryBitOnce(anatomy);
    const ProposedField* field = fieldAt(anatomy, kind.positions.front());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->positions(), kind.positions) << field->description();
    EXPECT_EQ(field->kind, kind.kind) << field->description();
    EXPECT_NE(field->detail.find(kind.detail), std::string::npos) << field->detail;
}

// Background for every case: byte 0 a slow value, the rest of the frame what the case sets.
void slowValue(int index, Data& data)
{
    data[0] = static_cast<std::uint8_t>(40 + index / 8);
}

INSTANTIATE_TEST_SUITE_P(
    HandMade, FieldKinds,
    testing::Values(KindCase { "CounterThatWraps",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   data[7] = static_cast<std::uint8_t>(index % 16);
                               },
                               { 59, 58, 57, 56 },
                               FieldKind::Counter,
                               "step 1" },
                    KindCase { "CounterOfTwoBitsCountingDown",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   data[6] = static_cast<std::uint8_t>(((3 - index % 4) & 3) << 4);
                               },
                               { 53, 52 },
                               FieldKind::Counter,
                               "step -1" },
                    KindCase { "Constant",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   data[3] = 0x5A;
                               },
                               { 31, 30, 29, 28, 27, 26, 25, 24 },
                               FieldKind::Constant,
                               "" },
                    KindCase { "Flag",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   data[2] = (index / 50) % 2 ? 0x20 : 0x00;
                               },
                               { 21 },
                               FieldKind::Flag,
                               "" },
                    KindCase { "Enum",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   data[2] = static_cast<std::uint8_t>((noise(index / 40, 3) % 3) + 1);
                               },
                               { 23, 22, 21, 20, 19, 18, 17, 16 },
                               FieldKind::Enum,
                               "values" },
                    // 12 bits from bit 3 of byte 5 on into byte 6, beside a counter, rising by 5 to 8 a frame: carries
                    // cross the byte.
                    KindCase { "ValueAcrossBytesBigEndian",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   const int value = 100 + index * 7 + noise(index, 1) % 4;
                                   data[5] = static_cast<std::uint8_t>(((value >> 8) & 0x0F) | (index % 16) << 4);
                                   data[6] = static_cast<std::uint8_t>(value & 0xFF);
                               },
                               { 43, 42, 41, 40, 55, 54, 53, 52, 51, 50, 49, 48 },
                               FieldKind::Value,
                               "big endian" },
                    // Its low three bits step by -1 modulo 8 every frame, as a counter would.
                    KindCase { "ValueRisingByASteadySevenIsNoCounter",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   const int value = 100 + index * 7;
                                   data[5] = static_cast<std::uint8_t>(value >> 8);
                                   data[6] = static_cast<std::uint8_t>(value & 0xFF);
                               },
                               { 47, 46, 45, 44, 43, 42, 41, 40, 55, 54, 53, 52, 51, 50, 49, 48 },
                               FieldKind::Value,
                               "big endian" },
                    KindCase { "ValueAcrossBytesLittleEndian",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   const int value = 100 + index * 7 + noise(index, 1) % 4;
                                   data[5] = static_cast<std::uint8_t>(value & 0xFF);
                                   data[6] = static_cast<std::uint8_t>(((value >> 8) & 0x0F) | (index % 16) << 4);
                               },
                               { 51, 50, 49, 48, 47, 46, 45, 44, 43, 42, 41, 40 },
                               FieldKind::Value,
                               "little endian" },
                    KindCase { "SignedValue",
                               [](int index, Data& data) {
                                   slowValue(index, data);
                                   // From -100 to 100 and back, a step a frame.
                                   const int value = (index % 400 < 200 ? index % 200 : 200 - index % 200) - 100;
                                   const auto raw = static_cast<std::uint16_t>(value);
                                   data[3] = static_cast<std::uint8_t>(raw >> 8);
                                   data[4] = static_cast<std::uint8_t>(raw & 0xFF);
                               },
                               { 31, 30, 29, 28, 27, 26, 25, 24, 39, 38, 37, 36, 35, 34, 33, 32 },
                               FieldKind::Value,
                               "signed" }),
    [](const testing::TestParamInfo<KindCase>& each) { return each.param.name; });

std::uint8_t crc8(const std::uint8_t* data, int length, std::uint8_t polynomial, std::uint8_t initial)
{
    std::uint8_t crc = initial;
    for (int byte = 0; byte < length; ++byte) {
        crc ^= data[byte];
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ polynomial : crc << 1);
    }
    return crc;
}

int nibbleSum(const Data& data, int upToByte)
{
    int sum = 0;
    for (int byte = 0; byte < upToByte; ++byte)
        sum += (data[byte] >> 4) + (data[byte] & 0x0F);
    return sum;
}

struct ChecksumCase {
    std::string name;
    // Sets byte 7 (or its low nibble) from bytes 0 to 6, of which byte 6's high nibble is a counter.
    std::function<void(Data&)> seal;
    std::vector<std::uint16_t> positions;
    std::string form;
};

class ChecksumForms : public testing::TestWithParam<ChecksumCase> { };

TEST_P(ChecksumForms, AreFoundAndNamed)
{
    const ChecksumCase& form = GetParam();
    const MessageAnatomy anatomy = FieldSegmentation::propose(framesOf(300, [&](int index, Data& data) {
        // Three readings that move a little each frame.
        for (int byte = 0; byte < 3; ++byte)
            data[byte] = static_cast<std::uint8_t>(60 * byte + index / (byte + 2) + noise(index, byte) % 4);
        data[3] = static_cast<std::uint8_t>(index / 20);
        data[6] = static_cast<std::uint8_t>((index % 16) << 4);
        form.seal(data);
    }));
    const ProposedField* field = fieldAt(anatomy, form.positions.front());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->positions(), form.positions);
    EXPECT_EQ(field->kind, FieldKind::Checksum) << field->description();
    EXPECT_EQ(field->detail, form.form);
    const ProposedField* counter = fieldAt(anatomy, 55);
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->kind, FieldKind::Counter) << counter->description();
}

INSTANTIATE_TEST_SUITE_P(
    CommonForms, ChecksumForms,
    testing::Values(
        ChecksumCase { "XorOfBytes",
                       [](Data& data) {
                           data[7] = 0;
                           for (int byte = 0; byte < 7; ++byte)
                               data[7] ^= data[byte];
                       },
                       { 63, 62, 61, 60, 59, 58, 57, 56 },
                       "XOR of bytes" },
        ChecksumCase { "SumOfBytesPlusAConstant",
                       [](Data& data) {
                           int sum = 0x33;
                           for (int byte = 0; byte < 7; ++byte)
                               sum += data[byte];
                           data[7] = static_cast<std::uint8_t>(sum);
                       },
                       { 63, 62, 61, 60, 59, 58, 57, 56 },
                       "sum of bytes, plus 0x33" },
        // The identifier 1A0's nibbles (1 + 10 + 0) in a nibble checksum, as some makers do.
        ChecksumCase { "EightMinusTheSumOfNibblesWithTheIdentifier",
                       [](Data& data) { data[7] = static_cast<std::uint8_t>((8 - nibbleSum(data, 7) - 11) & 0x0F); },
                       { 59, 58, 57, 56 },
                       "0x8 minus the sum of nibbles and the identifier's" },
        ChecksumCase { "XorOfNibbles",
                       [](Data& data) {
                           int value = 0;
                           for (int byte = 0; byte < 7; ++byte)
                               value ^= (data[byte] >> 4) ^ (data[byte] & 0x0F);
                           data[7] = static_cast<std::uint8_t>(value);
                       },
                       { 59, 58, 57, 56 },
                       "XOR of nibbles" },
        // SAE J1850's CRC starts from 0xFF and ends XORed with 0xFF: a constant on top of the plain CRC.
        ChecksumCase { "Crc8SaeJ1850",
                       [](Data& data) { data[7] = static_cast<std::uint8_t>(crc8(data.data(), 7, 0x1D, 0xFF) ^ 0xFF); },
                       { 63, 62, 61, 60, 59, 58, 57, 56 },
                       "CRC-8, polynomial 0x1D (SAE J1850)" },
        ChecksumCase { "Crc8Autosar",
                       [](Data& data) { data[7] = crc8(data.data(), 7, 0x2F, 0x00); },
                       { 63, 62, 61, 60, 59, 58, 57, 56 },
                       "CRC-8, polynomial 0x2F (AUTOSAR)" },
        // AUTOSAR's end-to-end CRC, as some makers use it: a data ID chosen by the counter fed after the data.
        ChecksumCase {
            "Crc8AutosarWithADataIdPerCounterValue",
            [](Data& data) {
                std::array<std::uint8_t, 8> withId {};
                std::copy(data.begin(), data.begin() + 7, withId.begin());
                withId[7] = static_cast<std::uint8_t>(0x40 + 13 * (data[6] >> 4));
                data[7] = static_cast<std::uint8_t>(crc8(withId.data(), 8, 0x2F, 0xFF) ^ 0xFF);
            },
            { 63, 62, 61, 60, 59, 58, 57, 56 },
            "CRC-8, polynomial 0x2F (AUTOSAR), with a data ID after the data, a constant per counter value" },
        ChecksumCase { "SumOfBytesWithoutTheCounter",
                       [](Data& data) {
                           int sum = 0;
                           for (int byte = 0; byte < 6; ++byte)
                               sum += data[byte];
                           data[7] = static_cast<std::uint8_t>(sum);
                       },
                       { 63, 62, 61, 60, 59, 58, 57, 56 },
                       "sum of bytes, without the counter" }),
    [](const testing::TestParamInfo<ChecksumCase>& each) { return each.param.name; });

TEST(FieldSegmentation, ProposesNothingBeyondConstantFromTooFewOrUnchangingFrames)
{
    const auto counting = [](int index, Data& data) { data[0] = static_cast<std::uint8_t>(index); };
    const auto still = [](int, Data& data) { data[0] = 7; };
    for (const auto& [frames, why] :
         { std::pair { framesOf(FieldSegmentation::kMinFrames - 1, counting), std::string("too few") },
           std::pair { framesOf(500, still), std::string("never changed") } }) {
        const MessageAnatomy anatomy = FieldSegmentation::propose(frames);
        EXPECT_FALSE(anatomy.proposed);
        expectEveryBitOnce(anatomy);
        for (const ProposedField& field : anatomy.fields) {
            EXPECT_EQ(field.kind, FieldKind::Constant);
            EXPECT_NE(field.detail.find(why), std::string::npos) << field.detail;
        }
    }
}

TEST(FieldSegmentation, CoversTheLongestFrameOfMixedLengthsAndCanFd)
{
    std::vector<CanFrame> frames = framesOf(200, [](int index, Data& data) {
        data[0] = static_cast<std::uint8_t>(index % 16);
        data[1] = noise(index, 9);
    });
    for (int index = 0; index < 200; index += 3)
        frames[static_cast<std::size_t>(index)].length = 4;
    for (int index = 0; index < 50; ++index) {
        CanFrame fd = frames.back();
        fd.fd = true;
        fd.length = 64;
        fd.data[63] = static_cast<std::uint8_t>(index * 3);
        frames.push_back(fd);
    }
    const MessageAnatomy anatomy = FieldSegmentation::propose(frames);
    EXPECT_EQ(anatomy.length, 64);
    expectEveryBitOnce(anatomy);
}

TEST(ProposedField, BecomesASignalNamedByKindIdentifierAndStartBit)
{
    ProposedField field;
    field.startBit = 60;
    field.length = 4;
    field.byteOrder = ByteOrder::BigEndian;
    field.kind = FieldKind::Counter;
    field.detail = "step 1";
    const vexmoor::SignalDefinition signal = field.toSignal("1A0");
    EXPECT_EQ(signal.name, "COUNTER_1A0_60");
    EXPECT_EQ(signal.comment, "counter, 4 bits, step 1");
    EXPECT_EQ(signal.maximum, 15);
}

} // namespace
