#include "capture/record/DecimalText.h"

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

namespace {

using vexmoor::decimal::WholeNumberSetting;
using Status = WholeNumberSetting::Status;

struct SettingCase {
    std::string text;
    Status status;
    std::int64_t value;
};

void PrintTo(const SettingCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.text);
}

class WholeNumberSettingTest : public testing::TestWithParam<SettingCase> { };

TEST_P(WholeNumberSettingTest, RoundsHalvesToEvenAndRefusesTextThatIsNotANumber)
{
    const auto setting = vexmoor::decimal::readWholeNumberSetting(GetParam().text, -32768, 32767);
    EXPECT_EQ(setting.status, GetParam().status);
    if (setting.status == Status::Valid) {
        EXPECT_EQ(setting.value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WholeNumberSettingTest,
    testing::Values(SettingCase { "4", Status::Valid, 4 }, SettingCase { " 6 ", Status::Valid, 6 },
                    SettingCase { "-2", Status::Valid, -2 }, SettingCase { "+7", Status::Valid, 7 },
                    SettingCase { "250.5", Status::Valid, 250 }, SettingCase { "251.5", Status::Valid, 252 },
                    SettingCase { "2.4", Status::Valid, 2 }, SettingCase { ".5", Status::Valid, 0 },
                    SettingCase { "32767", Status::Valid, 32767 }, SettingCase { "32767.5", Status::OutOfRange, 0 },
                    SettingCase { "32768", Status::OutOfRange, 0 }, SettingCase { "-32769", Status::OutOfRange, 0 },
                    SettingCase { std::string(400, '9'), Status::OutOfRange, 0 },
                    SettingCase { "", Status::NotANumber, 0 }, SettingCase { "abc", Status::NotANumber, 0 },
                    SettingCase { "6x", Status::NotANumber, 0 }, SettingCase { "6 6", Status::NotANumber, 0 },
                    SettingCase { "-", Status::NotANumber, 0 }, SettingCase { ".", Status::NotANumber, 0 }));

} // namespace
