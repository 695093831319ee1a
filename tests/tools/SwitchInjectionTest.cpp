#include "SwitchInjection.h"

#include "CandumpCapture.h"
#include "PressScheduler.h"

#include "capture/formats/CandumpLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vexmoor::CandumpLog;
using vexmoor::CanFrame;
using vexmoor::inject::CandumpCapture;
using vexmoor::inject::InjectedBit;
using vexmoor::inject::PressScheduler;
using vexmoor::inject::SwitchInjection;
using vexmoor::inject::SwitchMode;

constexpr std::int64_t kStartUs = 1'700'000'000'000'000;

std::string line(std::int64_t atUs, const char* frameText)
{
    char text[96];
    std::snprintf(text, sizeof(text), "(%lld.%06lld) can0 %s\n", static_cast<long long>(atUs / 1'000'000),
                  static_cast<long long>(atUs % 1'000'000), frameText);
    return text;
}

// A drive of the given length: 100 at 10 Hz with a counter in byte 0 and a steady byte 1, an extended
// identifier written in lower case at 10 Hz the same way, 2A0 once a second, and lines this program
// does not show. The bus is silent from pauseFromS for pauseS seconds, as a logger that stalls.
std::string driveLog(int seconds, int pauseFromS = 0, int pauseS = 0)
{
    std::string text = line(kStartUs, "20000080#0000000000000000") + "not a log line\n";
    for (int tick = 0; tick < seconds * 10; ++tick) {
        const std::int64_t atUs = kStartUs + tick * 100'000 + 1'000;
        if (pauseS > 0 && atUs >= kStartUs + pauseFromS * 1'000'000LL
            && atUs < kStartUs + (pauseFromS + pauseS) * 1'000'000LL)
            continue;
        char frame[40];
        std::snprintf(frame, sizeof(frame), "100#%02X5A", tick & 0xFF);
        text += line(atUs, frame);
        std::snprintf(frame, sizeof(frame), "1abcde00#%02xc3", (tick * 7) & 0xFF);
        text += line(atUs + 20'000, frame);
        if (tick % 10 == 0)
            text += line(atUs + 50'000, "2A0#0102");
    }
    return text;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string each; std::getline(in, each);)
        lines.push_back(each);
    return lines;
}

bool isTarget(const CandumpLog::ParsedLine& parsed, const InjectedBit& target)
{
    return parsed.kind == CandumpLog::LineKind::Frame && parsed.frame.id == target.id
        && parsed.frame.extended == target.extended;
}

bool bitOf(const CanFrame& frame, const InjectedBit& target)
{
    return ((frame.data[static_cast<std::size_t>(target.byte)] >> target.bit) & 1) != 0;
}

// The bit as the changed log carries it: the times its value differs from the frame before.
std::vector<std::int64_t> transitionsIn(const std::string& log, const InjectedBit& target)
{
    std::vector<std::int64_t> timesUs;
    std::optional<bool> previous;
    for (const std::string& each : linesOf(log)) {
        const auto parsed = CandumpLog::parseLine(each);
        if (!isTarget(parsed, target))
            continue;
        if (previous && *previous != bitOf(parsed.frame, target))
            timesUs.push_back(parsed.frame.timestampUs);
        previous = bitOf(parsed.frame, target);
    }
    return timesUs;
}

// The input lines beside the output lines: equal, or one frame of the target with only its bit flipped.
void expectOnlyTheBitDiffers(const std::string& input, const std::string& output, const InjectedBit& target)
{
    const auto inputLines = linesOf(input);
    const auto outputLines = linesOf(output);
    ASSERT_EQ(inputLines.size(), outputLines.size());
    std::optional<bool> steady;
    for (std::size_t index = 0; index < inputLines.size(); ++index) {
        const auto before = CandumpLog::parseLine(inputLines[index]);
        if (isTarget(before, target)) {
            ASSERT_LT(target.byte, before.frame.length);
            EXPECT_EQ(bitOf(before.frame, target), steady.value_or(bitOf(before.frame, target)))
                << "moves in the input";
            steady = bitOf(before.frame, target);
        }
        if (inputLines[index] == outputLines[index])
            continue;
        ASSERT_TRUE(isTarget(before, target)) << outputLines[index];
        CanFrame expected = before.frame;
        expected.data[static_cast<std::size_t>(target.byte)] ^= static_cast<std::uint8_t>(1 << target.bit);
        EXPECT_EQ(CandumpLog::parseLine(outputLines[index]).frame, expected) << outputLines[index];
        EXPECT_EQ(inputLines[index].size(), outputLines[index].size());
    }
}

void expectPressesAsAHandMakesThem(const SwitchInjection::Result& result, SwitchMode mode, std::int64_t lastUs)
{
    const auto transitions = transitionsIn(result.log, result.target);
    ASSERT_EQ(transitions.size(), result.presses.size() * (mode == SwitchMode::Held ? 2 : 1));
    const auto markLines = linesOf(result.marks);
    ASSERT_EQ(markLines.size(), result.presses.size());
    std::size_t transition = 0;
    for (std::size_t index = 0; index < result.presses.size(); ++index) {
        const auto& press = result.presses[index];
        EXPECT_GE(press.changeUs - press.pressUs, 100'000);
        EXPECT_LE(press.changeUs - press.pressUs, 500'000);
        EXPECT_LE(std::abs(press.markUs - press.pressUs), 300'000);
        EXPECT_EQ(markLines[index], CandumpCapture::secondsText(press.markUs));
        EXPECT_GE(press.pressUs, kStartUs + PressScheduler::kEdgeMarginUs);
        EXPECT_LE(press.pressUs, lastUs - PressScheduler::kEdgeMarginUs);
        if (index > 0) {
            EXPECT_GE(press.pressUs - result.presses[index - 1].pressUs, PressScheduler::kMinSpacingUs);
        }
        std::vector<std::int64_t> flips { press.changeUs };
        if (mode == SwitchMode::Held) {
            ASSERT_TRUE(press.releaseUs);
            EXPECT_GE(*press.releaseUs - press.changeUs, 300'000);
            EXPECT_LE(*press.releaseUs - press.changeUs, 1'500'000);
            flips.push_back(*press.releaseUs);
        }
        // Each flip shows on the first frame at or after it, within half a second.
        for (const std::int64_t flipUs : flips) {
            EXPECT_GE(transitions[transition], flipUs);
            EXPECT_LT(transitions[transition], flipUs + 500'000);
            ++transition;
        }
    }
}

struct InjectionCase {
    SwitchMode mode;
    int presses;
    std::uint64_t seed;
};

void PrintTo(const InjectionCase& testCase, std::ostream* out)
{
    *out << (testCase.mode == SwitchMode::Held ? "held" : "toggle") << ", " << testCase.presses << " presses, seed "
         << testCase.seed;
}

class SwitchInjectionTest : public testing::TestWithParam<InjectionCase> { };

TEST_P(SwitchInjectionTest, PlantsTheSwitchInASteadyBitAndMarksEachPress)
{
    const InjectionCase& testCase = GetParam();
    const std::string input = driveLog(40);
    const auto result = SwitchInjection::make(input, testCase.presses, testCase.mode, testCase.seed);
    ASSERT_EQ(result.copies, 1);
    expectOnlyTheBitDiffers(input, result.log, result.target);
    expectPressesAsAHandMakesThem(result, testCase.mode, kStartUs + 40'000'000);
    EXPECT_TRUE(result.target.id == 0x100 || result.target.id == 0x1ABCDE00) << "2A0 is sent once a second";
    EXPECT_EQ(result.target.byte, 1) << "byte 0 counts";
}

std::vector<InjectionCase> injectionCases()
{
    std::vector<InjectionCase> cases;
    for (const SwitchMode mode : { SwitchMode::Toggle, SwitchMode::Held }) {
        for (const int presses : { 2, 3, 5 }) {
            for (std::uint64_t seed = 1; seed <= 4; ++seed)
                cases.push_back({ mode, presses, seed });
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ModesPressesSeeds, SwitchInjectionTest, testing::ValuesIn(injectionCases()));

TEST(SwitchInjection, TheSameSeedMakesTheSameCaseAndOthersDiffer)
{
    const std::string input = driveLog(40);
    const auto first = SwitchInjection::make(input, 3, SwitchMode::Held, 11);
    const auto again = SwitchInjection::make(input, 3, SwitchMode::Held, 11);
    EXPECT_EQ(first.log, again.log);
    EXPECT_EQ(first.marks, again.marks);
    EXPECT_EQ(first.truth, again.truth);
    EXPECT_NE(first.marks, SwitchInjection::make(input, 3, SwitchMode::Held, 12).marks);
}

TEST(SwitchInjection, WritesTheTruthWithTheIdentifierAsTheTableWritesIt)
{
    const std::string input = driveLog(40);
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const auto result = SwitchInjection::make(input, 2, SwitchMode::Toggle, seed);
        const std::string id = result.target.extended ? "1ABCDE00" : "100";
        EXPECT_EQ(result.truth,
                  "id,byte,bit,mode,presses\n" + id + ",1," + std::to_string(result.target.bit) + ",toggle,2\n");
    }
}

TEST(SwitchInjection, PlaysAShortCaptureAgainUntilThePressesFit)
{
    const std::string input = driveLog(14);
    const auto result = SwitchInjection::make(input, 3, SwitchMode::Toggle, 3);
    ASSERT_EQ(result.copies, 2);
    const auto capture = CandumpCapture::fromText(input);
    const std::int64_t periodUs = capture.spanUs() + capture.typicalGapUs();
    EXPECT_EQ(periodUs, 13'920'000 + 30'000) << "the span, and the median gap between frames";

    // The second copy is the first one later, but for the planted bit.
    const auto inputLines = linesOf(input);
    const auto outputLines = linesOf(result.log);
    ASSERT_EQ(outputLines.size(), 2 * inputLines.size());
    for (std::size_t index = 0; index < inputLines.size(); ++index) {
        const auto original = CandumpLog::parseLine(inputLines[index]);
        const auto copy = CandumpLog::parseLine(outputLines[inputLines.size() + index]);
        ASSERT_EQ(copy.kind, original.kind) << outputLines[inputLines.size() + index];
        EXPECT_EQ(copy.frame.timestampUs,
                  original.frame.timestampUs + (original.kind == CandumpLog::LineKind::Malformed ? 0 : periodUs));
        if (!isTarget(original, result.target)) {
            EXPECT_EQ(copy.frame.data, original.frame.data);
        }
    }
    expectPressesAsAHandMakesThem(result, SwitchMode::Toggle, capture.lastUs() + periodUs);
}

TEST(SwitchInjection, ALoggerPauseIsNoSilenceOfTheIdentifiers)
{
    const std::string input = driveLog(40, 15, 6);
    const auto result = SwitchInjection::make(input, 3, SwitchMode::Held, 5);
    expectOnlyTheBitDiffers(input, result.log, result.target);
    expectPressesAsAHandMakesThem(result, SwitchMode::Held, kStartUs + 40'000'000);
}

struct RefusedCase {
    std::string name;
    std::string log;
};

void PrintTo(const RefusedCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

// An identifier at the given rate for the given seconds from the start, its data text from the tick.
std::string periodicLog(const char* format, int hz, int seconds, int offsetUs = 0)
{
    std::string text;
    for (int tick = 0; tick < hz * seconds; ++tick) {
        char frame[40];
        std::snprintf(frame, sizeof(frame), format, tick % 2 == 0 ? 0x00 : 0xFF);
        text += line(kStartUs + tick * (1'000'000 / hz) + offsetUs, frame);
    }
    return text;
}

class RefusedCaptureTest : public testing::TestWithParam<RefusedCase> { };

TEST_P(RefusedCaptureTest, SaysWhyInOneLine)
{
    try {
        SwitchInjection::make(GetParam().log, 2, SwitchMode::Toggle, 1);
        FAIL() << "made a case";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captures, RefusedCaptureTest,
    testing::Values(RefusedCase { "NoFrame", "not a log line\n(1.0) can0 20000080#0000000000000000\n" },
                    RefusedCase { "NothingFrequent", periodicLog("2A0#5A", 4, 40) + periodicLog("3B0#5A", 1, 40, 1) },
                    RefusedCase { "EveryBitMoves", periodicLog("100#%02X", 10, 40) },
                    RefusedCase { "OnlyRemoteFrames", periodicLog("100#R", 10, 40) },
                    RefusedCase { "FrequentOnlyAtTheStart",
                                  periodicLog("100#5A", 50, 8) + periodicLog("3B0#5A", 2, 40, 1) }),
    [](const testing::TestParamInfo<RefusedCase>& row) { return row.param.name; });

} // namespace
