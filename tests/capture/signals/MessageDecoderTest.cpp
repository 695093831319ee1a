#include "capture/signals/MessageDecoder.h"

#include "capture/CaptureTestSupport.h"
#include "capture/changes/FrameHistory.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace vexmoor {
namespace {

using test::makeFrame;

SignalDefinition signalOf(std::string name, std::uint16_t startBit, std::uint8_t length, ByteOrder order,
                          SignalValueType type = SignalValueType::Unsigned)
{
    SignalDefinition signal;
    signal.name = std::move(name);
    signal.startBit = startBit;
    signal.length = length;
    signal.byteOrder = order;
    signal.valueType = type;
    return signal;
}

SignalDefinition multiplexed(SignalDefinition signal, std::uint64_t multiplexValue)
{
    signal.multiplexRole = MultiplexRole::Multiplexed;
    signal.multiplexValue = multiplexValue;
    return signal;
}

// Of eight bytes: a multiplexed signal ahead of its multiplexor, another sharing its bytes, and two
// plain signals, one in the last byte.
MessageDefinition multiplexedMessage()
{
    MessageDefinition message;
    message.id = 0x500;
    message.name = "Drive";
    SignalDefinition mode = signalOf("Mode", 0, 4, ByteOrder::LittleEndian);
    mode.multiplexRole = MultiplexRole::Multiplexor;
    message.signalDefinitions = {
        multiplexed(signalOf("Speed", 8, 16, ByteOrder::LittleEndian), 1),
        mode,
        multiplexed(signalOf("Torque", 15, 16, ByteOrder::BigEndian, SignalValueType::Signed), 2),
        signalOf("Gear", 56, 8, ByteOrder::LittleEndian),
        signalOf("Flags", 4, 4, ByteOrder::LittleEndian),
    };
    return message;
}

using Decoded = std::vector<std::pair<std::size_t, RawValue>>;

Decoded decodedOf(const MessageDecoder& decoder, std::span<const std::uint8_t> data)
{
    Decoded decoded;
    decoder.decode(data,
                   [&decoded](std::size_t index, const SignalValue& value) { decoded.emplace_back(index, value.raw); });
    return decoded;
}

struct FrameCase {
    const char* name;
    std::vector<std::uint8_t> data;
    Decoded decoded;
};

void PrintTo(const FrameCase& frameCase, std::ostream* out)
{
    *out << frameCase.name;
}

class MessageDecoderFrameTest : public testing::TestWithParam<FrameCase> { };

// Each value the frame carries, in the signals' order: the multiplexed ones only where the multiplexor
// reads their value, and none that the frame is too short for. Decoding one signal agrees.
TEST_P(MessageDecoderFrameTest, DecodesWhatTheFrameCarries)
{
    const MessageDecoder decoder(multiplexedMessage());
    EXPECT_EQ(decodedOf(decoder, GetParam().data), GetParam().decoded);

    Decoded oneByOne;
    for (std::size_t index = 0; index < decoder.definition().signalDefinitions.size() + 1; ++index) {
        if (const std::optional<SignalValue> value = decoder.decode(GetParam().data, index))
            oneByOne.emplace_back(index, value->raw);
    }
    EXPECT_EQ(oneByOne, GetParam().decoded);
}

using U = std::uint64_t;

INSTANTIATE_TEST_SUITE_P(
    Frames, MessageDecoderFrameTest,
    testing::Values(FrameCase { "FirstMode",
                                { 0x31, 0x34, 0x12, 0, 0, 0, 0, 0x99 },
                                { { 0, U { 0x1234 } }, { 1, U { 1 } }, { 3, U { 0x99 } }, { 4, U { 3 } } } },
                    FrameCase { "SecondMode",
                                { 0x02, 0xFF, 0xFE, 0, 0, 0, 0, 0x07 },
                                { { 1, U { 2 } }, { 2, std::int64_t { -2 } }, { 3, U { 7 } }, { 4, U { 0 } } } },
                    FrameCase { "ModeWithoutSignals",
                                { 0xF3, 1, 2, 3, 4, 5, 6, 7 },
                                { { 1, U { 3 } }, { 3, U { 7 } }, { 4, U { 15 } } } },
                    FrameCase { "ShorterThanTheMessage", { 0x01, 0x34 }, { { 1, U { 1 } }, { 4, U { 0 } } } },
                    FrameCase { "LongerThanTheMessage",
                                { 0x01, 0x34, 0x12, 0, 0, 0, 0, 0x99, 0xAA, 0xBB, 0xCC, 0xDD },
                                { { 0, U { 0x1234 } }, { 1, U { 1 } }, { 3, U { 0x99 } }, { 4, U { 0 } } } },
                    FrameCase { "Empty", {}, {} }),
    [](const testing::TestParamInfo<FrameCase>& param) { return std::string(param.param.name); });

TEST(MessageDecoderTest, AMultiplexedSignalWithoutAMultiplexorHasNoValue)
{
    MessageDefinition message;
    message.signalDefinitions = { multiplexed(signalOf("Lost", 0, 8, ByteOrder::LittleEndian), 0),
                                  signalOf("Plain", 8, 8, ByteOrder::LittleEndian) };
    const std::vector<std::uint8_t> data { 0, 5 };
    EXPECT_EQ(decodedOf(MessageDecoder(message), data), (Decoded { { 1, U { 5 } } }));
}

TEST(MessageDecoderTest, ARemoteFrameCarriesNoData)
{
    EXPECT_TRUE(MessageDecoder::dataOf(makeFrame(0x500, { 1, 2 }, { .remote = true })).empty());
    EXPECT_EQ(MessageDecoder::dataOf(makeFrame(0x500, { 1, 2 })).size(), 2U);
}

// A signal defined after the drive still has the drive's values: the message's own frames from the
// history, oldest first, each value with its frame's time.
TEST(MessageDecoderTest, DecodesThePastFromTheHistoryInTimeOrder)
{
    FrameHistory history;
    history.observe(makeFrame(0x500, { 0x01, 0x10, 0x00 }, { .timestampUs = 100 }));
    history.observe(makeFrame(0x501, { 0x01, 0x20, 0x00 }, { .timestampUs = 150 }));
    history.observe(makeFrame(0x500, { 0x01, 0x30 }, { .extended = true, .timestampUs = 160 }));
    history.observe(makeFrame(0x500, { 0x02, 0xFF, 0xFF }, { .timestampUs = 200 }));
    history.observe(makeFrame(0x500, {}, { .remote = true, .timestampUs = 250 }));
    history.observe(makeFrame(0x500, { 0x01, 0x40, 0x00 }, { .timestampUs = 300 }));
    const MessageDecoder decoder(multiplexedMessage());

    using Past = std::vector<std::tuple<std::size_t, std::int64_t, RawValue>>;
    Past all;
    decoder.decodePast(history, [&all](std::size_t index, std::int64_t timeUs, const SignalValue& value) {
        all.emplace_back(index, timeUs, value.raw);
    });
    EXPECT_EQ(all,
              (Past { { 0, 100, U { 0x10 } },
                      { 1, 100, U { 1 } },
                      { 4, 100, U { 0 } },
                      { 1, 200, U { 2 } },
                      { 2, 200, std::int64_t { -1 } },
                      { 4, 200, U { 0 } },
                      { 0, 300, U { 0x40 } },
                      { 1, 300, U { 1 } },
                      { 4, 300, U { 0 } } }));

    Past speed;
    decoder.decodePast(history, 0, [&speed](std::size_t index, std::int64_t timeUs, const SignalValue& value) {
        speed.emplace_back(index, timeUs, value.raw);
    });
    EXPECT_EQ(speed, (Past { { 0, 100, U { 0x10 } }, { 0, 300, U { 0x40 } } }));
}

} // namespace
} // namespace vexmoor
