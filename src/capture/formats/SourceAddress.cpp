#include "capture/formats/SourceAddress.h"

#include <utility>

#include "capture/formats/SlcanCommands.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vexmoor {

namespace {

constexpr std::uint64_t kKilo = 1'000;
constexpr std::uint64_t kMega = 1'000'000;

bool isLowerOrDigit(char character)
{
    return (character >= 'a' && character <= 'z') || (character >= '0' && character <= '9') || character == '_';
}

// The length of the "name:" a text begins with, without the colon; 0 when it begins with none.
std::size_t schemeLength(std::string_view text)
{
    if (text.empty() || text[0] < 'a' || text[0] > 'z')
        return 0;
    std::size_t length = 1;
    while (length < text.size() && isLowerOrDigit(text[length]))
        ++length;
    return length < text.size() && text[length] == ':' ? length : 0;
}

std::string knownBitRates()
{
    const auto rates = SlcanCommands::bitRates();
    std::string list;
    for (std::size_t index = 0; index < rates.size(); ++index) {
        if (index > 0)
            list += index + 1 == rates.size() ? " or " : ", ";
        list += SourceAddress::bitRateText(rates[index]);
    }
    return list;
}

SourceAddress::Parsed refused(std::string error)
{
    return { std::nullopt, std::move(error) };
}

SourceAddress::Parsed parseSlcan(std::string_view rest)
{
    SourceAddress address;
    address.kind = SourceAddress::Kind::Slcan;
    // The rate follows the last "@", so that a device with an "@" in its name still reads.
    const std::size_t at = rest.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view rateText = rest.substr(at + 1);
        const auto rate = SourceAddress::parseBitRate(rateText);
        if (!rate)
            return refused("unknown bit rate '" + std::string(rateText) + "' for slcan: use " + knownBitRates());
        address.bitRate = *rate;
        rest = rest.substr(0, at);
    }
    if (rest.empty())
        return refused("slcan needs a serial device: slcan:/dev/ttyACM0[@500k]");
    address.device = std::string(rest);
    return { address, {} };
}

constexpr std::string_view kFdSuffix = "@fd";

std::string knownDataBitRates()
{
    std::string list;
    const auto& rates = SourceAddress::dataBitRates();
    for (std::size_t index = 0; index < rates.size(); ++index)
        list += (index == 0                      ? ""
                     : index + 1 == rates.size() ? " or "
                                                 : ", ")
            + SourceAddress::bitRateText(rates[index]);
    return list;
}

// "@fd" or "@fd=RATE" at the end asks for CAN FD frames; anywhere else an "@" is the device's.
SourceAddress::Parsed parsePlugin(std::string_view plugin, std::string_view device)
{
    SourceAddress address;
    address.kind = SourceAddress::Kind::CanBus;
    address.plugin = std::string(plugin);
    const std::size_t at = device.rfind(kFdSuffix);
    if (at != std::string_view::npos
        && (at + kFdSuffix.size() == device.size() || device[at + kFdSuffix.size()] == '=')) {
        address.fd = true;
        if (at + kFdSuffix.size() < device.size()) {
            const std::string_view rateText = device.substr(at + kFdSuffix.size() + 1);
            const auto rate = SourceAddress::parseBitRate(rateText, SourceAddress::dataBitRates());
            if (!rate)
                return refused("unknown data bit rate '" + std::string(rateText) + "' for CAN FD: use "
                               + knownDataBitRates());
            address.dataBitRate = *rate;
        }
        device = device.substr(0, at);
    }
    if (device.empty())
        return refused(std::string(plugin) + " needs an interface: " + std::string(plugin) + ":INTERFACE[@fd[=RATE]]");
    address.device = std::string(device);
    return { address, {} };
}

} // namespace

SourceAddress SourceAddress::board(std::string portText)
{
    SourceAddress address;
    address.device = std::move(portText);
    return address;
}

SourceAddress SourceAddress::slcan(std::string device, std::uint32_t bitRate)
{
    SourceAddress address;
    address.kind = Kind::Slcan;
    address.device = std::move(device);
    address.bitRate = bitRate;
    return address;
}

SourceAddress SourceAddress::canBus(std::string plugin, std::string interfaceName)
{
    SourceAddress address;
    address.kind = Kind::CanBus;
    address.plugin = std::move(plugin);
    address.device = std::move(interfaceName);
    return address;
}

SourceAddress::Parsed SourceAddress::parse(std::string_view text)
{
    if (text.empty())
        return refused("no source given: a port number or path, slcan:DEVICE[@RATE] or PLUGIN:INTERFACE");
    const std::size_t nameLength = schemeLength(text);
    if (nameLength == 0) {
        SourceAddress board;
        board.device = std::string(text);
        return { board, {} };
    }
    const std::string_view name = text.substr(0, nameLength);
    const std::string_view rest = text.substr(nameLength + 1);
    if (name == kSlcanScheme)
        return parseSlcan(rest);
    return parsePlugin(name, rest);
}

std::string SourceAddress::text() const
{
    switch (kind) {
    case Kind::Board:
        return device;
    case Kind::Slcan: {
        std::string written = std::string(kSlcanScheme) + ":" + device;
        // An "@" in the device would otherwise be read as the start of a rate.
        if (bitRate != kDefaultSlcanBitRate || device.find('@') != std::string::npos)
            written += "@" + bitRateText(bitRate);
        return written;
    }
    case Kind::CanBus:
        if (!fd)
            return plugin + ":" + device;
        return plugin + ":" + device + std::string(kFdSuffix)
            + (dataBitRate != 0 ? "=" + bitRateText(dataBitRate) : "");
    }
    return device;
}

const std::vector<std::uint32_t>& SourceAddress::dataBitRates()
{
    static const std::vector<std::uint32_t> kRates { 1'000'000, 2'000'000, 4'000'000, 5'000'000, 8'000'000 };
    return kRates;
}

std::optional<std::uint32_t> SourceAddress::parseBitRate(std::string_view text)
{
    const auto rate = parseBitRate(text, {});
    return rate && SlcanCommands::bitRate(*rate) ? rate : std::nullopt;
}

std::optional<std::uint32_t> SourceAddress::parseBitRate(std::string_view text, const std::vector<std::uint32_t>& among)
{
    std::uint64_t multiplier = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) {
        multiplier = kKilo;
        text.remove_suffix(1);
    } else if (!text.empty() && text.back() == 'M') {
        multiplier = kMega;
        text.remove_suffix(1);
    }
    if (text.empty())
        return std::nullopt;
    // from_chars takes no sign for an unsigned number and reports an overflow, so only digits pass.
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value > std::numeric_limits<std::uint32_t>::max() / multiplier)
        return std::nullopt;
    const auto rate = static_cast<std::uint32_t>(value * multiplier);
    if (!among.empty() && std::find(among.begin(), among.end(), rate) == among.end())
        return std::nullopt;
    return rate;
}

std::string SourceAddress::bitRateText(std::uint32_t bitsPerSecond)
{
    if (bitsPerSecond != 0 && bitsPerSecond % kMega == 0)
        return std::to_string(bitsPerSecond / kMega) + "M";
    if (bitsPerSecond != 0 && bitsPerSecond % kKilo == 0)
        return std::to_string(bitsPerSecond / kKilo) + "k";
    return std::to_string(bitsPerSecond);
}

} // namespace vexmoor
