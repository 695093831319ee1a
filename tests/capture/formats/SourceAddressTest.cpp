#include "capture/formats/SourceAddress.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::SourceAddress;
using Kind = SourceAddress::Kind;

SourceAddress board(std::string device)
{
    return SourceAddress::board(std::move(device));
}

SourceAddress slcan(std::string device, std::uint32_t bitRate = SourceAddress::kDefaultSlcanBitRate)
{
    return SourceAddress::slcan(std::move(device), bitRate);
}

SourceAddress plugin(std::string name, std::string device)
{
    return SourceAddress::canBus(std::move(name), std::move(device));
}

SourceAddress canFd(std::string name, std::string device, std::uint32_t dataBitRate = 0)
{
    SourceAddress address = plugin(std::move(name), std::move(device));
    address.fd = true;
    address.dataBitRate = dataBitRate;
    return address;
}

const char* kindName(Kind kind)
{
    switch (kind) {
    case Kind::Board:
        return "Board";
    case Kind::Slcan:
        return "Slcan";
    case Kind::CanBus:
        return "CanBus";
    }
    return "?";
}

} // namespace

namespace vexmoor {

void PrintTo(const SourceAddress& address, std::ostream* out)
{
    *out << kindName(address.kind) << " plugin='" << address.plugin << "' device='" << address.device
         << "' bitRate=" << address.bitRate;
}

} // namespace vexmoor

namespace {

constexpr const char* kByPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";

struct ParseCase {
    std::string name;
    std::string text;
    std::optional<SourceAddress> expected; // empty when the text is refused
    std::string error {}; // a part of the error when refused
};

void PrintTo(const ParseCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SourceAddressParseTest : public testing::TestWithParam<ParseCase> { };

TEST_P(SourceAddressParseTest, ReadsTheKindAndItsPartsOrSaysWhatIsWrong)
{
    const auto parsed = SourceAddress::parse(GetParam().text);
    EXPECT_EQ(parsed.address, GetParam().expected) << parsed.error;
    if (GetParam().expected) {
        EXPECT_EQ(parsed.error, "");
        return;
    }
    EXPECT_NE(parsed.error.find(GetParam().error), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SourceAddressParseTest,
    testing::Values(
        ParseCase { "Nothing", "", std::nullopt, "no source" }, ParseCase { "BoardNumber", "4", board("4") },
        ParseCase { "BoardPath", "/dev/ttyUSB0", board("/dev/ttyUSB0") },
        ParseCase { "BoardPathWithColons", kByPath, board(kByPath) },
        ParseCase { "BoardWindowsName", "COM5", board("COM5") },
        ParseCase { "NameWithoutColonIsBoard", "can0", board("can0") },
        ParseCase { "UpperCaseNameIsBoard", "Slcan:/dev/ttyACM0", board("Slcan:/dev/ttyACM0") },
        ParseCase { "DigitFirstIsBoard", "4:can0", board("4:can0") },
        ParseCase { "SlcanAtTheDefaultRate", "slcan:/dev/ttyACM0", slcan("/dev/ttyACM0") },
        ParseCase { "SlcanWithRate", "slcan:COM5@250k", slcan("COM5", 250'000) },
        ParseCase { "SlcanRateInBits", "slcan:/dev/ttyACM0@1000000", slcan("/dev/ttyACM0", 1'000'000) },
        ParseCase { "SlcanPathWithColons", std::string("slcan:") + kByPath + "@1M", slcan(kByPath, 1'000'000) },
        ParseCase { "SlcanRateAfterTheLastAt", "slcan:/dev/odd@name@125k", slcan("/dev/odd@name", 125'000) },
        ParseCase { "SlcanWithoutDevice", "slcan:", std::nullopt, "slcan needs a serial device" },
        ParseCase { "SlcanWithOnlyARate", "slcan:@250k", std::nullopt, "slcan needs a serial device" },
        ParseCase { "SlcanUnknownRate", "slcan:/dev/ttyACM0@83k", std::nullopt,
                    "unknown bit rate '83k' for slcan: use 10k, 20k, 50k, 100k, 125k, 250k, 500k, 800k or 1M" },
        ParseCase { "SlcanEmptyRate", "slcan:/dev/ttyACM0@", std::nullopt, "unknown bit rate '' for slcan" },
        ParseCase { "Plugin", "socketcan:can0", plugin("socketcan", "can0") },
        ParseCase { "PluginUrl", "virtualcan:tcp://127.0.0.1:35470/can0",
                    plugin("virtualcan", "tcp://127.0.0.1:35470/can0") },
        ParseCase { "PluginNameWithDigitsAndUnderscore", "my_can2:x", plugin("my_can2", "x") },
        ParseCase { "PluginWithoutInterface", "socketcan:", std::nullopt, "socketcan needs an interface" },
        ParseCase { "CanFdWithoutInterface", "socketcan:@fd", std::nullopt, "socketcan needs an interface" },
        ParseCase { "CanFdAtAnUnknownDataRate", "peakcan:usb0@fd=3M", std::nullopt,
                    "unknown data bit rate '3M' for CAN FD: use 1M, 2M, 4M, 5M or 8M" },
        ParseCase { "AnAtOfTheDeviceIsNoCanFd", "virtualcan:tcp://me@host/can0",
                    plugin("virtualcan", "tcp://me@host/can0") }),
    [](const auto& testCase) { return testCase.param.name; });

struct BitRateCase {
    std::string name;
    std::string text;
    std::optional<std::uint32_t> expected;
};

void PrintTo(const BitRateCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SourceAddressBitRateTest : public testing::TestWithParam<BitRateCase> { };

TEST_P(SourceAddressBitRateTest, TakesOnlyTheRatesAnSlcanAdapterHasACommandFor)
{
    EXPECT_EQ(SourceAddress::parseBitRate(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SourceAddressBitRateTest,
    testing::Values(BitRateCase { "Bits", "500000", 500'000 }, BitRateCase { "Kilo", "500k", 500'000 },
                    BitRateCase { "UpperCaseKilo", "500K", 500'000 }, BitRateCase { "Mega", "1M", 1'000'000 },
                    BitRateCase { "MegaInKilo", "1000k", 1'000'000 }, BitRateCase { "Slowest", "10k", 10'000 },
                    BitRateCase { "NotAStandardRate", "83k", std::nullopt },
                    BitRateCase { "Fraction", "83.3k", std::nullopt }, BitRateCase { "Nothing", "", std::nullopt },
                    BitRateCase { "OnlyTheUnit", "k", std::nullopt }, BitRateCase { "Negative", "-500k", std::nullopt },
                    BitRateCase { "Plus", "+500k", std::nullopt }, BitRateCase { "Spaces", " 500k", std::nullopt },
                    BitRateCase { "SpaceBeforeTheUnit", "500 k", std::nullopt },
                    BitRateCase { "MilliIsNoMega", "1m", std::nullopt }, BitRateCase { "Zero", "0", std::nullopt },
                    // Each wraps to 500000 in 32 bits.
                    BitRateCase { "OverflowOfTheBits", "4295467296", std::nullopt },
                    BitRateCase { "OverflowOfTheMultiple", "536871412k", std::nullopt },
                    BitRateCase { "OverflowOfEveryWidth", "99999999999999999999999k", std::nullopt }),
    [](const auto& testCase) { return testCase.param.name; });

struct RoundTripCase {
    std::string name;
    SourceAddress address;
    std::string text;
};

void PrintTo(const RoundTripCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SourceAddressRoundTripTest : public testing::TestWithParam<RoundTripCase> { };

TEST_P(SourceAddressRoundTripTest, TheTextReadsBackToTheSameAddress)
{
    EXPECT_EQ(GetParam().address.text(), GetParam().text);
    EXPECT_EQ(SourceAddress::parse(GetParam().text).address, GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SourceAddressRoundTripTest,
    testing::Values(RoundTripCase { "BoardNumber", board("4"), "4" },
                    RoundTripCase { "BoardPathWithColons", board(kByPath), kByPath },
                    RoundTripCase { "SlcanAtTheDefaultRate", slcan("/dev/ttyACM0"), "slcan:/dev/ttyACM0" },
                    RoundTripCase { "SlcanSlowest", slcan("COM5", 10'000), "slcan:COM5@10k" },
                    RoundTripCase { "SlcanEightHundred", slcan("COM5", 800'000), "slcan:COM5@800k" },
                    RoundTripCase { "SlcanFastest", slcan("/dev/ttyACM0", 1'000'000), "slcan:/dev/ttyACM0@1M" },
                    // Without its rate the "@" in the device would read as one.
                    RoundTripCase { "SlcanDeviceWithAt", slcan("/dev/odd@name"), "slcan:/dev/odd@name@500k" },
                    RoundTripCase { "Plugin", plugin("socketcan", "can0"), "socketcan:can0" },
                    RoundTripCase { "PluginUrl", plugin("virtualcan", "tcp://127.0.0.1:35470/can0"),
                                    "virtualcan:tcp://127.0.0.1:35470/can0" },
                    RoundTripCase { "CanFd", canFd("socketcan", "can0"), "socketcan:can0@fd" },
                    RoundTripCase { "CanFdAtADataRate", canFd("peakcan", "usb0", 2'000'000), "peakcan:usb0@fd=2M" }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace
