#include "capture/formats/SlcanDecoder.h"
#include "capture/CaptureTestSupport.h"
#include "capture/formats/SlcanCommands.h"
#include "capture/record/HexText.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::CanFrame;
using vexmoor::SlcanCommands;
using vexmoor::SlcanDecoder;
using vexmoor::test::makeFrame;
using Answer = SlcanDecoder::Answer;

constexpr std::int64_t kArrivalUs = 1'700'000'000'000'000;
constexpr std::int64_t kMs = 1000;
constexpr std::int64_t kSecond = 1'000'000;

CanFrame at(CanFrame frame, std::int64_t timestampUs)
{
    frame.timestampUs = timestampUs;
    return frame;
}

CanFrame remoteFrame(std::uint32_t id, std::uint8_t length, bool extended, std::int64_t timestampUs = kArrivalUs)
{
    CanFrame frame = makeFrame(id, {}, { .extended = extended, .remote = true, .timestampUs = timestampUs });
    frame.length = length;
    return frame;
}

struct DecodeResult {
    std::vector<CanFrame> frames {};
    std::uint64_t malformed = 0;
    std::uint64_t acknowledgements = 0;
    std::uint64_t refusals = 0;
    std::vector<Answer> answers {};

    bool operator==(const DecodeResult&) const = default;
};

void PrintTo(const DecodeResult& result, std::ostream* out)
{
    *out << result.frames.size() << " frames, " << result.malformed << " malformed, " << result.acknowledgements
         << " acknowledgements, " << result.refusals << " refusals, " << result.answers.size() << " answers";
}

// Feeds the text in chunks that end at the given positions, and the rest, all arriving at kArrivalUs.
DecodeResult decodeCutAt(std::string_view text, const std::vector<std::size_t>& cuts)
{
    SlcanDecoder decoder;
    DecodeResult result;
    const SlcanDecoder::FrameHandler keep = [&](const CanFrame& frame) { result.frames.push_back(frame); };
    std::size_t start = 0;
    for (const std::size_t cut : cuts) {
        decoder.feed(text.substr(start, cut - start), kArrivalUs, keep);
        start = cut;
    }
    decoder.feed(text.substr(start), kArrivalUs, keep);
    EXPECT_EQ(decoder.frames(), result.frames.size());
    result.malformed = decoder.malformedMessages();
    result.acknowledgements = decoder.acknowledgements();
    result.refusals = decoder.refusals();
    while (const auto answer = decoder.takeAnswer())
        result.answers.push_back(*answer);
    return result;
}

struct MessageCase {
    std::string name;
    std::string text;
    DecodeResult expected;
};

void PrintTo(const MessageCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

const std::vector<MessageCase> kMessageCases = {
    { "StandardData",
      "t1232AABB\r",
      { .frames = { makeFrame(0x123, { 0xAA, 0xBB }, { .timestampUs = kArrivalUs }) } } },
    { "StandardEmpty", "t7FF0\r", { .frames = { makeFrame(0x7FF, {}, { .timestampUs = kArrivalUs }) } } },
    { "StandardEightBytesLowerCase",
      "t0a18deadbeef01020304\r",
      { .frames = { makeFrame(0x0A1, { 0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4 }, { .timestampUs = kArrivalUs }) } } },
    { "ExtendedData",
      "T1FFFFFFF3112233\r",
      { .frames = { makeFrame(0x1FFFFFFF, { 0x11, 0x22, 0x33 }, { .extended = true, .timestampUs = kArrivalUs }) } } },
    { "ExtendedSmallIdentifier",
      "T000000011FF\r",
      { .frames = { makeFrame(0x1, { 0xFF }, { .extended = true, .timestampUs = kArrivalUs }) } } },
    { "StandardRemote", "r1238\r", { .frames = { remoteFrame(0x123, 8, false) } } },
    { "ExtendedRemote", "R18DAF1100\r", { .frames = { remoteFrame(0x18DAF110, 0, true) } } },
    // The first stamped frame takes its arrival time, the next lies the adapter's milliseconds after it.
    { "Timestamps",
      "t1001011234\rT000002000EA5F\rr3003EA5F\r",
      { .frames = { makeFrame(0x100, { 0x01 }, { .timestampUs = kArrivalUs }),
                    makeFrame(0x200, {}, { .extended = true, .timestampUs = kArrivalUs + (0xEA5F - 0x1234) * kMs }),
                    remoteFrame(0x300, 3, false, kArrivalUs + (0xEA5F - 0x1234) * kMs) } } },
    { "LastTimestampValue",
      "t1000EA5F\rt10000000\r",
      { .frames = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }),
                    makeFrame(0x100, {}, { .timestampUs = kArrivalUs + kMs }) } } },
    { "Acknowledgements", "\r\r", { .acknowledgements = 2, .answers = { Answer::Ok, Answer::Ok } } },
    { "Refusal", "\a", { .refusals = 1, .answers = { Answer::Refused } } },
    { "AnswersInOrder",
      "\r\a\r",
      { .acknowledgements = 2, .refusals = 1, .answers = { Answer::Ok, Answer::Refused, Answer::Ok } } },
    { "TransmitAcknowledgementsAreTolerated",
      "z\rZ\rt1000\r",
      { .frames = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }) } } },
    { "LineFeedsAfterCarriageReturns",
      "t1000\r\n\r\nt2000\r\n",
      { .frames
        = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }), makeFrame(0x200, {}, { .timestampUs = kArrivalUs }) },
        .acknowledgements = 1,
        .answers = { Answer::Ok } } },
    { "TextBeforeABelIsNoRefusal", "t1\a", { .malformed = 1 } },
    { "BadHexInData", "t1232AAXB\r", { .malformed = 1 } },
    { "BadHexInIdentifier", "t12G0\r", { .malformed = 1 } },
    { "BadHexInTimestamp", "t10001Z34\r", { .malformed = 1 } },
    { "TooFewDataDigits", "t1232AAB\r", { .malformed = 1 } },
    { "TooManyDataDigits", "t1231AABB\r", { .malformed = 1 } },
    { "ShortTimestamp", "t1000123\r", { .malformed = 1 } },
    { "LongTimestamp", "t100012345\r", { .malformed = 1 } },
    { "TimestampPastTheWrap", "t1000EA60\r", { .malformed = 1 } },
    { "LengthNine", "t1239AABBCCDDEEFF001122\r", { .malformed = 1 } },
    { "LengthNotADigit", "t123A\r", { .malformed = 1 } },
    { "RemoteWithData", "r1231AA\r", { .malformed = 1 } },
    { "StandardIdentifierOutOfRange", "t8000\r", { .malformed = 1 } },
    { "ExtendedIdentifierOutOfRange", "T200000000\r", { .malformed = 1 } },
    { "ShortIdentifier", "t12\r", { .malformed = 1 } },
    { "NoLength", "T12345678\r", { .malformed = 1 } },
    { "UnknownMessage", "V1013\r", { .malformed = 1 } },
    { "TooLong",
      std::string(SlcanDecoder::kMaxMessageLength + 1, 'x') + "\rt1000\r",
      { .frames = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }) }, .malformed = 1 } },
    { "TooLongFrame",
      "t1238" + std::string(100, 'A') + "\rt1000\r",
      { .frames = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }) }, .malformed = 1 } },
    { "MalformedBetweenGoodOnes",
      "t1000\rt1\rt2000\r",
      { .frames
        = { makeFrame(0x100, {}, { .timestampUs = kArrivalUs }), makeFrame(0x200, {}, { .timestampUs = kArrivalUs }) },
        .malformed = 1 } },
    { "Nothing", "", DecodeResult {} },
};

class SlcanDecoderMessageTest : public testing::TestWithParam<MessageCase> { };

TEST_P(SlcanDecoderMessageTest, HandsOnFramesAndAnswersAndCountsEveryOtherMessage)
{
    EXPECT_EQ(decodeCutAt(GetParam().text, {}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Messages, SlcanDecoderMessageTest, testing::ValuesIn(kMessageCases),
                         [](const auto& testCase) { return testCase.param.name; });

class SlcanDecoderChunkTest : public testing::TestWithParam<MessageCase> { };

TEST_P(SlcanDecoderChunkTest, WhereChunksCutTheBytesNeverChangesWhatIsDecoded)
{
    const std::string& text = GetParam().text;
    const DecodeResult& expected = GetParam().expected;
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        ASSERT_EQ(decodeCutAt(text, { cut }), expected) << "cut at " << cut;
    for (std::size_t first = 0; first <= text.size(); first += 5) {
        for (std::size_t second = first; second <= text.size(); ++second)
            ASSERT_EQ(decodeCutAt(text, { first, second }), expected) << "cut at " << first << ", " << second;
    }
    std::vector<std::size_t> everyByte(text.size());
    for (std::size_t index = 0; index < text.size(); ++index)
        everyByte[index] = index;
    EXPECT_EQ(decodeCutAt(text, everyByte), expected);
}

INSTANTIATE_TEST_SUITE_P(Messages, SlcanDecoderChunkTest, testing::ValuesIn(kMessageCases),
                         [](const auto& testCase) { return testCase.param.name; });

struct NoiseCase {
    std::string name;
    std::string noise; // fed many times over
    std::uint64_t malformed;
    std::uint64_t refusals;
};

void PrintTo(const NoiseCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanDecoderNoiseTest : public testing::TestWithParam<NoiseCase> { };

TEST_P(SlcanDecoderNoiseTest, NoiseNeverGrowsWhatIsHeldAndTheNextFrameStillArrives)
{
    constexpr int kRepeats = 1000;
    SlcanDecoder decoder;
    std::vector<CanFrame> frames {};
    const SlcanDecoder::FrameHandler keep = [&](const CanFrame& frame) { frames.push_back(frame); };
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        decoder.feed(GetParam().noise, kArrivalUs, keep);
        ASSERT_LE(decoder.carriedBytes(), SlcanDecoder::kMaxMessageLength);
    }
    decoder.feed("\rt1231AA\r", kArrivalUs, keep);

    EXPECT_EQ(frames, std::vector<CanFrame> { makeFrame(0x123, { 0xAA }, { .timestampUs = kArrivalUs }) });
    EXPECT_EQ(decoder.malformedMessages(), GetParam().malformed);
    EXPECT_EQ(decoder.refusals(), GetParam().refusals);
    EXPECT_EQ(decoder.carriedBytes(), 0u);
    std::size_t pending = 0;
    while (decoder.takeAnswer())
        ++pending;
    EXPECT_LE(pending, SlcanDecoder::kMaxPendingAnswers);
}

INSTANTIATE_TEST_SUITE_P(Noise, SlcanDecoderNoiseTest,
                         testing::Values(NoiseCase { "Letters", std::string(1000, 'x'), 1, 0 },
                                         NoiseCase { "LineFeeds", std::string(1000, '\n'), 1, 0 },
                                         NoiseCase { "FramesWithoutCarriageReturns", "t1231AA", 1, 0 },
                                         NoiseCase { "ByteByByte", "x", 1, 0 },
                                         NoiseCase { "Bels", std::string(100, '\a'), 0, 100'000 },
                                         NoiseCase { "AcknowledgementsNobodyTakes", "\r\r\r", 0, 0 },
                                         NoiseCase { "ShortGarbage", "xy\r", 1000, 0 }),
                         [](const auto& testCase) { return testCase.param.name; });

// One stamped frame: the adapter's milliseconds and when it arrived, or an unstamped one.
struct Arrival {
    std::optional<std::uint32_t> timestampMs;
    std::int64_t arrivalUs;
};

struct UnwrapCase {
    std::string name;
    std::vector<Arrival> arrivals;
    std::vector<std::int64_t> expectedUs; // after kArrivalUs
};

void PrintTo(const UnwrapCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanDecoderUnwrapTest : public testing::TestWithParam<UnwrapCase> { };

TEST_P(SlcanDecoderUnwrapTest, LaysTheAdaptersWrappingClockOnTheArrivalClock)
{
    SlcanDecoder decoder;
    std::vector<std::int64_t> times;
    const SlcanDecoder::FrameHandler keep
        = [&](const CanFrame& frame) { times.push_back(frame.timestampUs - kArrivalUs); };
    for (const auto& [timestampMs, arrivalUs] : GetParam().arrivals) {
        std::string line = "t1000";
        if (timestampMs)
            vexmoor::hex::appendNumber(*timestampMs, 4, line);
        decoder.feed(line + "\r", kArrivalUs + arrivalUs, keep);
    }
    EXPECT_EQ(times, GetParam().expectedUs);
    EXPECT_EQ(decoder.malformedMessages(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Timestamps, SlcanDecoderUnwrapTest,
    testing::Values(
        UnwrapCase {
            "NoWrap", { { 1000, 0 }, { 1500, 500 * kMs }, { 59999, 59 * kSecond } }, { 0, 500 * kMs, 58999 * kMs } },
        UnwrapCase { "OneWrap", { { 59000, 0 }, { 1000, 2 * kSecond } }, { 0, 2 * kSecond } },
        // Arrival times lumped by the port's buffering never move a frame off the adapter's clock.
        UnwrapCase { "OneWrapArrivingInOneChunk", { { 59000, 0 }, { 1000, 0 } }, { 0, 2 * kSecond } },
        UnwrapCase { "ArrivalLate", { { 100, 0 }, { 200, 400 * kMs } }, { 0, 100 * kMs } },
        UnwrapCase { "SameValueSameArrival", { { 7, 0 }, { 7, 0 } }, { 0, 0 } },
        UnwrapCase { "PauseLongerThanAWrap", { { 1000, 0 }, { 2000, 121 * kSecond } }, { 0, 121 * kSecond } },
        UnwrapCase { "WrapAndLongPause", { { 59000, 0 }, { 1000, 122 * kSecond } }, { 0, 122 * kSecond } },
        UnwrapCase { "PauseOfWholeWraps", { { 0, 0 }, { 0, 180 * kSecond + 20 * kMs } }, { 0, 180 * kSecond } },
        // A pause of exactly one wrap whose frame arrives a little early still counts the wrap.
        UnwrapCase { "PauseOfOneWrapArrivingEarly", { { 5000, 0 }, { 5000, 59990 * kMs } }, { 0, 60 * kSecond } },
        UnwrapCase { "PauseOfAnHourAndAHalfSecond",
                     { { 30000, 0 }, { 30500, 3600 * kSecond + 700 * kMs } },
                     { 0, 3600 * kSecond + 500 * kMs } },
        UnwrapCase { "ArrivalClockGoingBack", { { 1000, 0 }, { 3000, -10 * kSecond } }, { 0, 2 * kSecond } },
        // A frame without a stamp takes its arrival time and leaves the adapter's clock as it was.
        UnwrapCase { "UnstampedBetween",
                     { { 1000, 0 }, { std::nullopt, 30 * kSecond }, { 500, 60 * kSecond } },
                     { 0, 30 * kSecond, 59500 * kMs } },
        UnwrapCase { "FirstStampAfterUnstamped",
                     { { std::nullopt, 0 }, { 40000, 3 * kSecond }, { 41000, 4 * kSecond } },
                     { 0, 3 * kSecond, 4 * kSecond } }),
    [](const auto& testCase) { return testCase.param.name; });

struct BitRateCase {
    std::uint32_t bitsPerSecond;
    std::optional<std::string> command;
};

void PrintTo(const BitRateCase& testCase, std::ostream* out)
{
    *out << testCase.bitsPerSecond;
}

class SlcanCommandsBitRateTest : public testing::TestWithParam<BitRateCase> { };

TEST_P(SlcanCommandsBitRateTest, NamesEveryStandardRateAndNoOther)
{
    const auto& [bitsPerSecond, command] = GetParam();
    EXPECT_EQ(SlcanCommands::bitRate(bitsPerSecond), command);
    if (command) {
        EXPECT_EQ(SlcanCommands::bitRateOf(*command), bitsPerSecond);
    }
}

INSTANTIATE_TEST_SUITE_P(BitRates, SlcanCommandsBitRateTest,
                         testing::Values(BitRateCase { 10'000, "S0\r" }, BitRateCase { 20'000, "S1\r" },
                                         BitRateCase { 50'000, "S2\r" }, BitRateCase { 100'000, "S3\r" },
                                         BitRateCase { 125'000, "S4\r" }, BitRateCase { 250'000, "S5\r" },
                                         BitRateCase { 500'000, "S6\r" }, BitRateCase { 800'000, "S7\r" },
                                         BitRateCase { 1'000'000, "S8\r" }, BitRateCase { 0, std::nullopt },
                                         BitRateCase { 83'333, std::nullopt }, BitRateCase { 500, std::nullopt },
                                         BitRateCase { 1'000'001, std::nullopt },
                                         BitRateCase { 2'000'000, std::nullopt }),
                         [](const auto& testCase) { return std::to_string(testCase.param.bitsPerSecond); });

struct RoundTripCase {
    std::string name;
    CanFrame written;
    bool withTimestamp;
    std::string line;
    CanFrame read; // what the line reads back as, arriving at the written frame's time
};

void PrintTo(const RoundTripCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SlcanRoundTripTest : public testing::TestWithParam<RoundTripCase> { };

TEST_P(SlcanRoundTripTest, EveryFrameWrittenReadsBack)
{
    const RoundTripCase& testCase = GetParam();
    std::string line;
    SlcanCommands::appendFrameLine(testCase.written, testCase.withTimestamp, line);
    EXPECT_EQ(line, testCase.line);

    SlcanDecoder decoder;
    std::vector<CanFrame> frames {};
    decoder.feed(line, testCase.written.timestampUs, [&](const CanFrame& frame) { frames.push_back(frame); });
    EXPECT_EQ(frames, std::vector<CanFrame> { testCase.read });
    EXPECT_EQ(decoder.malformedMessages(), 0u);
}

const CanFrame kStandard = makeFrame(0x0A5, { 0x01, 0xAB }, { .timestampUs = 5 * kSecond + 250 * kMs });
const CanFrame kExtended
    = makeFrame(0x18DAF110, { 0, 1, 2, 3, 4, 5, 6, 0xFF }, { .extended = true, .timestampUs = 119'999'999 });

CanFrame withId(CanFrame frame, std::uint32_t id)
{
    frame.id = id;
    return frame;
}

CanFrame withLength(CanFrame frame, std::uint8_t length)
{
    frame.length = length;
    return frame;
}

INSTANTIATE_TEST_SUITE_P(Frames, SlcanRoundTripTest,
                         testing::Values(RoundTripCase { "Standard", kStandard, false, "t0A5201AB\r", kStandard },
                                         RoundTripCase { "StandardStamped", kStandard, true, "t0A5201AB1482\r",
                                                         kStandard },
                                         RoundTripCase { "ExtendedStampedBeforeTheWrap", kExtended, true,
                                                         "T18DAF110800010203040506FFEA5F\r", kExtended },
                                         RoundTripCase { "Empty", at(makeFrame(0x7FF, {}), 60 * kSecond), true,
                                                         "t7FF00000\r", at(makeFrame(0x7FF, {}), 60 * kSecond) },
                                         RoundTripCase { "StandardRemote", remoteFrame(0x123, 4, false), false,
                                                         "r1234\r", remoteFrame(0x123, 4, false) },
                                         RoundTripCase { "ExtendedRemote", remoteFrame(0x1, 8, true), true,
                                                         "R0000000184E20\r", remoteFrame(0x1, 8, true) },
                                         RoundTripCase { "BeforeTheEpoch", at(makeFrame(0x100, {}), -1), true,
                                                         "t1000EA5F\r", at(makeFrame(0x100, {}), -1) },
                                         RoundTripCase { "StandardIdentifierTooLarge", withId(kStandard, 0x8A5), false,
                                                         "t0A5201AB\r", kStandard },
                                         RoundTripCase { "ExtendedIdentifierTooLarge", withId(kExtended, 0xF8DAF110),
                                                         false, "T18DAF110800010203040506FF\r", kExtended },
                                         RoundTripCase { "LengthTooLarge", withLength(kExtended, 12), false,
                                                         "T18DAF110800010203040506FF\r", kExtended }),
                         [](const auto& testCase) { return testCase.param.name; });

} // namespace
