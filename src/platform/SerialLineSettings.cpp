#include "platform/SerialLineSettings.h"

#include "capture/record/DecimalText.h"

#include <charconv>
#include <vector>

namespace vexmoor {

namespace {

std::vector<std::string_view> fieldsOf(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string_view::npos; comma = text.find(',', start)) {
        fields.push_back(decimal::trimmed(text.substr(start, comma - start), decimal::kSpaceOnly));
        start = comma + 1;
    }
    fields.push_back(decimal::trimmed(text.substr(start), decimal::kSpaceOnly));
    return fields;
}

std::optional<int> wholeNumber(std::string_view text)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

SerialLineSettings::Parsed problem(std::string text)
{
    return { std::nullopt, std::move(text) };
}

} // namespace

SerialLineSettings::Parsed SerialLineSettings::parse(std::string_view text)
{
    const auto fields = fieldsOf(text);
    std::string quoted(1, '\'');
    quoted.append(text).push_back('\'');
    if (fields.size() != 4)
        return problem("The serial settings " + quoted
                       + " do not have the form baud,parity,data bits,stop bits (for example 38400,N,8,1).");

    SerialLineSettings settings;
    const auto baud = wholeNumber(fields[0]);
    if (!baud || *baud <= 0)
        return problem("The baud rate in the serial settings " + quoted + " is not a positive whole number.");
    settings.baudRate = *baud;

    if (fields[1].size() != 1)
        return problem("The parity in the serial settings " + quoted + " is not one of the letters N, E, O, M, S.");
    switch (fields[1][0]) {
    case 'N':
    case 'n':
        settings.parity = Parity::None;
        break;
    case 'E':
    case 'e':
        settings.parity = Parity::Even;
        break;
    case 'O':
    case 'o':
        settings.parity = Parity::Odd;
        break;
    case 'M':
    case 'm':
        settings.parity = Parity::Mark;
        break;
    case 'S':
    case 's':
        settings.parity = Parity::Space;
        break;
    default:
        return problem("The parity in the serial settings " + quoted + " is not one of the letters N, E, O, M, S.");
    }

    const auto dataBits = wholeNumber(fields[2]);
    if (!dataBits || *dataBits < 5 || *dataBits > 8)
        return problem("The data bits in the serial settings " + quoted + " are not 5, 6, 7 or 8.");
    settings.dataBits = *dataBits;

    if (fields[3] == "1")
        settings.stopBits = StopBits::One;
    else if (fields[3] == "1.5")
        settings.stopBits = StopBits::OneAndHalf;
    else if (fields[3] == "2")
        settings.stopBits = StopBits::Two;
    else
        return problem("The stop bits in the serial settings " + quoted + " are not 1, 1.5 or 2.");
    return { settings, {} };
}

} // namespace vexmoor
