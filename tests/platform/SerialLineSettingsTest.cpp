#include "platform/SerialLineSettings.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::SerialLineSettings;
using Parity = SerialLineSettings::Parity;
using StopBits = SerialLineSettings::StopBits;

TEST(SerialLineSettingsTest, ReadsBaudParityDataAndStopBits)
{
    const auto standard = SerialLineSettings::parse("38400,N,8,1");
    ASSERT_TRUE(standard.settings) << standard.problem;
    EXPECT_EQ(standard.settings->baudRate, 38400);
    EXPECT_EQ(standard.settings->parity, Parity::None);
    EXPECT_EQ(standard.settings->dataBits, 8);
    EXPECT_EQ(standard.settings->stopBits, StopBits::One);

    const auto other = SerialLineSettings::parse(" 9600 , e , 7 , 1.5 ");
    ASSERT_TRUE(other.settings) << other.problem;
    EXPECT_EQ(other.settings->baudRate, 9600);
    EXPECT_EQ(other.settings->parity, Parity::Even);
    EXPECT_EQ(other.settings->dataBits, 7);
    EXPECT_EQ(other.settings->stopBits, StopBits::OneAndHalf);
}

class RefusedSettingsTest : public testing::TestWithParam<std::pair<std::string, std::string>> { };

TEST_P(RefusedSettingsTest, NamesThePartThatDoesNotFit)
{
    const auto parsed = SerialLineSettings::parse(GetParam().first);
    EXPECT_FALSE(parsed.settings);
    EXPECT_NE(parsed.problem.find(GetParam().second), std::string::npos) << parsed.problem;
    EXPECT_NE(parsed.problem.find("'" + GetParam().first + "'"), std::string::npos) << parsed.problem;
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedSettingsTest,
                         testing::Values(std::pair<std::string, std::string> { ",N,8,1", "baud rate" },
                                         std::pair { "0,N,8,1", "baud rate" }, std::pair { "fast,N,8,1", "baud rate" },
                                         std::pair { "38400,X,8,1", "parity" }, std::pair { "38400,NE,8,1", "parity" },
                                         std::pair { "38400,N,9,1", "data bits" },
                                         std::pair { "38400,N,4,1", "data bits" },
                                         std::pair { "38400,N,8,3", "stop bits" }, std::pair { "38400,N,8", "form" },
                                         std::pair { "", "form" }, std::pair { "38400,N,8,1,", "form" }));

} // namespace
