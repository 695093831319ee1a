#include "capture/ranking/ProposedField.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vexmoor {

std::string_view fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Constant:
        return "constant";
    case FieldKind::Counter:
        return "counter";
    case FieldKind::Checksum:
        return "checksum";
    case FieldKind::Flag:
        return "flag";
    case FieldKind::Enum:
        return "enum";
    case FieldKind::Value:
        return "value";
    }
    return "constant";
}

std::vector<std::uint16_t> ProposedField::positions() const
{
    std::vector<std::uint16_t> bits;
    bits.reserve(length);
    if (byteOrder == ByteOrder::LittleEndian) {
        for (int offset = length - 1; offset >= 0; --offset)
            bits.push_back(static_cast<std::uint16_t>(startBit + offset));
        return bits;
    }
    // Big endian runs from bit 7 down to bit 0 of a byte, then on at bit 7 of the next.
    std::uint16_t position = startBit;
    for (int taken = 0; taken < length; ++taken) {
        bits.push_back(position);
        position
            = position % 8 == 0 ? static_cast<std::uint16_t>(position + 15) : static_cast<std::uint16_t>(position - 1);
    }
    return bits;
}

std::uint16_t ProposedField::readingPlace() const
{
    std::uint16_t place = UINT16_MAX;
    for (const std::uint16_t position : positions())
        place = std::min(place, static_cast<std::uint16_t>(position / 8 * 8 + 7 - position % 8));
    return place;
}

std::string ProposedField::description() const
{
    if (kind == FieldKind::Checksum)
        return "checksum: " + detail;
    std::string text(fieldKindName(kind));
    text += ", " + std::to_string(length) + (length == 1 ? " bit" : " bits");
    if (!detail.empty())
        text += ", " + detail;
    return text;
}

std::string ProposedField::signalName(std::string_view identifierText) const
{
    std::string name(fieldKindName(kind));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    name += '_';
    name += identifierText;
    name += '_';
    name += std::to_string(startBit);
    return name;
}

SignalDefinition ProposedField::toSignal(std::string_view identifierText) const
{
    SignalDefinition signal;
    signal.name = signalName(identifierText);
    signal.startBit = startBit;
    signal.length = static_cast<std::uint8_t>(length);
    signal.byteOrder = byteOrder;
    signal.valueType = isSigned ? SignalValueType::Signed : SignalValueType::Unsigned;
    const double range = std::ldexp(1.0, length);
    signal.minimum = isSigned ? -range / 2 : 0;
    signal.maximum = isSigned ? range / 2 - 1 : range - 1;
    signal.comment = description();
    return signal;
}

} // namespace vexmoor
