#include "capture/signals/FrameDecoder.h"

#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "capture/signals/LatestSignalValues.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmoor {
namespace {

using test::makeFrame;

MessageDefinition messageOf(std::uint32_t id, bool extended, std::string name)
{
    MessageDefinition message;
    message.id = id;
    message.extended = extended;
    message.name = std::move(name);
    SignalDefinition first;
    first.name = "First";
    first.length = 8;
    message.signalDefinitions = { first };
    return message;
}

// The same number names a standard and an extended identifier; the first of two definitions of one
// identifier is kept; identifiers out of range are left out, and asking for them finds nothing.
TEST(FrameDecoderTest, FindsEachDefinedIdentifierAndNothingElse)
{
    const FrameDecoder decoder({ messageOf(0x100, false, "Standard"), messageOf(0x100, true, "Extended"),
                                 messageOf(0x7FF, false, "Highest"), messageOf(0x18FEF100, true, "Engine"),
                                 messageOf(0x100, false, "Again"), messageOf(0x800, false, "OutOfRange"),
                                 messageOf(0x20000000, true, "OutOfRangeExtended") });
    EXPECT_EQ(decoder.messageCount(), 4U);

    const std::vector<std::tuple<std::uint32_t, bool, const char*>> found {
        { 0x100, false, "Standard" },   { 0x100, true, "Extended" },   { 0x7FF, false, "Highest" },
        { 0x18FEF100, true, "Engine" }, { 0x101, false, nullptr },     { 0x18FEF101, true, nullptr },
        { 0x800, false, nullptr },      { 0x20000000, true, nullptr }, { 0xFFFFFFFF, false, nullptr },
    };
    for (const auto& [id, extended, name] : found) {
        const MessageDecoder* message = decoder.find(id, extended);
        ASSERT_EQ(message != nullptr, name != nullptr) << std::hex << id << ' ' << extended;
        if (message != nullptr) {
            EXPECT_EQ(message->definition().name, name);
        }
    }
    EXPECT_EQ(FrameDecoder().find(0x100, false), nullptr);
    EXPECT_EQ(FrameDecoder().find(0x100, true), nullptr);
}

TEST(FrameDecoderTest, DecodesAFrameOnlyWhereItsIdentifierHasADefinition)
{
    const FrameDecoder decoder({ messageOf(0x100, true, "Extended") });
    std::vector<std::string> seen;
    const auto visit = [&seen](const MessageDecoder& message, std::size_t index, const SignalValue& value) {
        seen.push_back(message.definition().name + "." + message.definition().signalDefinitions.at(index).name + "="
                       + std::to_string(std::get<std::uint64_t>(value.raw)));
    };

    EXPECT_TRUE(decoder.decode(makeFrame(0x100, { 42 }, { .extended = true }), visit));
    EXPECT_FALSE(decoder.decode(makeFrame(0x100, { 43 }), visit));
    EXPECT_TRUE(decoder.decode(makeFrame(0x100, { 44 }, { .extended = true, .remote = true }), visit));
    EXPECT_EQ(seen, (std::vector<std::string> { "Extended.First=42" }));
}

// A database chosen for one bus decodes that bus's frames only, live and from the history.
TEST(FrameDecoderTest, ADatabaseOfOneBusDecodesThatBusOnly)
{
    const FrameDecoder decoder({ messageOf(0x2A8, false, "Doors") });
    test::FixedClock clock;
    CaptureSession session(clock);
    session.setRowsPerBus(true);
    LatestSignalValues values;
    values.setDecoder(&decoder);
    values.setBus("can1", &session.ingestion().recordBus());
    session.ingestion().setFrameListener(&values);
    const auto latest = [&] { return values.latest(decoder.messages().front(), 0)->value->physical; };

    std::int64_t timeUs = 0;
    for (const auto& [bus, value] : { std::pair { "can1", 2 }, { "can0", 1 }, { "can0", 3 } })
        session.ingestFrame(makeFrame(0x2A8, { static_cast<std::uint8_t>(value) }, { .timestampUs = ++timeUs }), bus);
    EXPECT_EQ(latest(), 2);

    values.setDecoder(&decoder);
    values.takePast(session.history(), { session.ingestion().buses().find("can0") });
    EXPECT_EQ(latest(), 3);
}

} // namespace
} // namespace vexmoor
