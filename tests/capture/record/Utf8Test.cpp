#include "capture/record/Utf8.h"
#include "capture/record/Windows1252.h"

#include <gtest/gtest.h>

namespace {

using namespace vexmoor;

struct Utf8Case {
    std::string name;
    std::string bytes;
    bool valid;
};

class Utf8Test : public testing::TestWithParam<Utf8Case> { };

// A DBC file is taken as UTF-8 only when it all is: only well-formed sequences may pass.
TEST_P(Utf8Test, TellsWellFormedUtf8)
{
    EXPECT_EQ(utf8::isValid(GetParam().bytes), GetParam().valid);
    if (GetParam().valid) {
        std::string again;
        std::size_t index = 0;
        while (const auto codePoint = utf8::decode(GetParam().bytes, index))
            utf8::appendCodePoint(*codePoint, again);
        EXPECT_EQ(again, GetParam().bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Test,
    testing::Values(Utf8Case { "Ascii", "plain text", true }, Utf8Case { "TwoBytes", "\xC2\xB0", true },
                    Utf8Case { "ThreeBytes", "\xE2\x82\xAC", true }, Utf8Case { "FourBytes", "\xF0\x9F\x9A\x97", true },
                    Utf8Case { "Latin1Byte", "\xB0", false }, Utf8Case { "CutSequence", "\xE2\x82", false },
                    Utf8Case { "Overlong", "\xE0\x80\xAF", false }, Utf8Case { "Surrogate", "\xED\xA0\x80", false },
                    Utf8Case { "BeyondUnicode", "\xF4\x90\x80\x80", false }),
    [](const auto& testCase) { return testCase.param.name; });

TEST(Windows1252Test, TakesBackEveryByteAndNoCharacterItLacks)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte.push_back(static_cast<char>(byte));
    EXPECT_EQ(windows1252::fromUtf8(windows1252::toUtf8(everyByte)), everyByte);
    EXPECT_EQ(windows1252::fromUtf8("\xE6\x97\xA5"), std::nullopt);
    EXPECT_EQ(windows1252::fromUtf8("\xB0"), std::nullopt);
}

} // namespace
