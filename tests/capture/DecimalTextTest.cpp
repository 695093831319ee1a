#include "capture/DecimalText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct LeadingNumberCase {
    std::string text;
    double number;
};

void PrintTo(const LeadingNumberCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class LeadingNumberTest : public testing::TestWithParam<LeadingNumberCase> { };

TEST_P(LeadingNumberTest, ReadsTheNumberTheTextBeginsWith)
{
    EXPECT_EQ(vexmoor::decimal::leadingNumber(GetParam().text), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    testing::Values(LeadingNumberCase { "250", 250 }, LeadingNumberCase { "  250abc", 250 },
                    LeadingNumberCase { "249.5", 249.5 }, LeadingNumberCase { ".5", 0.5 },
                    LeadingNumberCase { "-3", -3 }, LeadingNumberCase { "+7", 7 }, LeadingNumberCase { "", 0 },
                    LeadingNumberCase { "abc", 0 }, LeadingNumberCase { "- 3", 0 }, LeadingNumberCase { ".", 0 },
                    LeadingNumberCase { std::string(400, '9'), std::numeric_limits<double>::infinity() }));

struct IncrementCase {
    std::string before;
    std::string after;
};

void PrintTo(const IncrementCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.before);
}

class IncrementWholeNumberTest : public testing::TestWithParam<IncrementCase> { };

TEST_P(IncrementWholeNumberTest, AddsOneToAWholeNumberAndLeavesAnythingElse)
{
    std::string text = GetParam().before;
    const bool changed = vexmoor::decimal::incrementWholeNumber(text);
    EXPECT_EQ(text, GetParam().after);
    EXPECT_EQ(changed, GetParam().before != GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Counts, IncrementWholeNumberTest,
                         testing::Values(IncrementCase { "1", "2" }, IncrementCase { "9", "10" },
                                         IncrementCase { "199", "200" }, IncrementCase { " 41 ", "42" },
                                         IncrementCase { "007", "8" }, IncrementCase { "0", "1" },
                                         IncrementCase { "99999999999999999999", "100000000000000000000" },
                                         IncrementCase { "", "" }, IncrementCase { "x", "x" },
                                         IncrementCase { "4 2", "4 2" }, IncrementCase { "-1", "-1" },
                                         IncrementCase { "1.5", "1.5" }));

class IncrementLeadingNumberTest : public testing::TestWithParam<IncrementCase> { };

TEST_P(IncrementLeadingNumberTest, IsOnePlusTheLeadingWholeNumber)
{
    std::string text = GetParam().before;
    vexmoor::decimal::incrementLeadingNumber(text);
    EXPECT_EQ(text, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(ChangeCounts, IncrementLeadingNumberTest,
                         testing::Values(IncrementCase { "1", "2" }, IncrementCase { "", "1" },
                                         IncrementCase { "abc", "1" }, IncrementCase { "12abc", "13" },
                                         IncrementCase { "  9", "10" }, IncrementCase { "3.7", "4" },
                                         IncrementCase { "99999999999999999999", "100000000000000000000" }));

} // namespace
