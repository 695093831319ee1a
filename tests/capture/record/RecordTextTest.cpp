#include "capture/record/RecordText.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using vexmoor::record::Identifier;

namespace {

struct ShapeCase {
    std::string text;
    bool accepted;
};

void PrintTo(const ShapeCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class ShapeTest : public testing::TestWithParam<ShapeCase> { };

TEST_P(ShapeTest, RejectsOnlyTheFourForbiddenPairsOnceSpacesAndLineFeedsAreGone)
{
    EXPECT_EQ(vexmoor::record::passesShapeTest(GetParam().text), GetParam().accepted) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Records, ShapeTest,
                         testing::Values(ShapeCase { "<680,1,16,255,23,0,0,0,0,>", true }, ShapeCase { "<0>", false },
                                         ShapeCase { "< 0 >", false }, ShapeCase { "<\n0\n>", false },
                                         ShapeCase { "<0\r>", true }, ShapeCase { "<0,>", true },
                                         ShapeCase { "<,1,2,>", false }, ShapeCase { "< ,1,2,>", false },
                                         ShapeCase { "<<680,1,>", false }, ShapeCase { "<680,1,>>", false },
                                         ShapeCase { "<680,1,> >", false }, ShapeCase { "", true },
                                         ShapeCase { "<>", true }, ShapeCase { "<680>", true },
                                         ShapeCase { "<AB,CD,>", true }, ShapeCase { "<00>", true }));

struct IdentifierCase {
    std::string text;
    std::optional<Identifier> identifier;
};

void PrintTo(const IdentifierCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class IdentifierTest : public testing::TestWithParam<IdentifierCase> { };

TEST_P(IdentifierTest, IsOneToFourCharactersOfAStandardOrFiveToNineDigitsOfAnExtendedFrame)
{
    EXPECT_EQ(vexmoor::record::takeIdentifier(GetParam().text), GetParam().identifier) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Records, IdentifierTest,
    testing::Values(
        IdentifierCase { "<680,1,16,>", Identifier { "2A8", 680 } },
        IdentifierCase { "<0680,1,>", Identifier { "2A8", 680 } },
        IdentifierCase { "< 680,1,>", Identifier { "2A8", 680 } },
        IdentifierCase { "<68 ,1,>", Identifier { "44", 68 } }, IdentifierCase { "<0,>", Identifier { "0", 0 } },
        IdentifierCase { "<255,>", Identifier { "FF", 255 } }, IdentifierCase { "<2047,>", Identifier { "7FF", 2047 } },
        IdentifierCase { "<9999,>", Identifier { "270F", 9999 } }, IdentifierCase { "<680>", std::nullopt },
        IdentifierCase { "<12345,1,>", Identifier { "3039", 12345, true } },
        IdentifierCase { "<02015,1,>", Identifier { "000007DF", 2015, true } },
        IdentifierCase { "<00000,>", Identifier { "00000000", 0, true } },
        IdentifierCase { "<418381592,1,>", Identifier { "18EFFF18", 418381592, true } },
        IdentifierCase { "< 536870911 ,>", Identifier { "1FFFFFFF", 536870911, true } },
        IdentifierCase { "<536870912,1,>", std::nullopt }, IdentifierCase { "<999999999,1,>", std::nullopt },
        IdentifierCase { "<1234567890,1,>", std::nullopt }, IdentifierCase { "<  680,1,>", std::nullopt },
        IdentifierCase { "<12 345,1,>", std::nullopt }, IdentifierCase { "<1A,1,>", std::nullopt },
        IdentifierCase { "<-1,1,>", std::nullopt }, IdentifierCase { "<1.5,1,>", std::nullopt },
        IdentifierCase { "<6 8,1,>", std::nullopt }, IdentifierCase { "<  ,1,>", std::nullopt },
        IdentifierCase { "<>", std::nullopt }, IdentifierCase { "", std::nullopt },
        IdentifierCase { "<,", std::nullopt }));

struct AsciiCase {
    std::string text;
    std::string ascii;
};

void PrintTo(const AsciiCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class AsciiTextTest : public testing::TestWithParam<AsciiCase> { };

TEST_P(AsciiTextTest, TakesEveryFieldFromZeroTo255AsOneCharacter)
{
    EXPECT_EQ(vexmoor::record::asciiText(GetParam().text), GetParam().ascii) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Records, AsciiTextTest,
    testing::Values(AsciiCase { "<680,1,16,255,23,0,0,0,0,>", "\x01\x10\xff\x17\0\0\0\0"s },
                    AsciiCase { "<65,66,67,>", "ABC" }, AsciiCase { "< 65 , 066,256,6 7,x,-1,>", "AB" },
                    AsciiCase { "<680,1,2,3,4,5,6,7,8,9,10,>", "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a" },
                    AsciiCase { "<680,00000000000000000065,99999999999999999999,>", "A" }, AsciiCase { "<>", "" },
                    AsciiCase { "", "" }, AsciiCase { "<6<5>,>", "A" }, AsciiCase { "<0>", "\0"s }));

TEST(IdentifierTest, AnExtendedFrameOfAStandardNumberGetsARowOfItsOwn)
{
    auto identifier = vexmoor::record::takeIdentifier("<2015,1,>");
    ASSERT_TRUE(identifier);
    EXPECT_EQ(identifier->hexId, "7DF");
    vexmoor::record::markExtended(*identifier);
    EXPECT_EQ(*identifier, (Identifier { "000007DF", 2015, true }));

    identifier = vexmoor::record::takeIdentifier("<4660,1,>");
    vexmoor::record::markExtended(*identifier);
    EXPECT_EQ(identifier->hexId, "1234") << "above 0x7FF no row of a standard frame can share the key";
}

} // namespace
