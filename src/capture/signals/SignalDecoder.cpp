#include "capture/signals/SignalDecoder.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace vexmoor {

namespace {

constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);

bool readable(const SignalDefinition& definition)
{
    switch (definition.valueType) {
    case SignalValueType::Unsigned:
    case SignalValueType::Signed:
        return definition.length >= 1 && definition.length <= 64;
    case SignalValueType::Float:
        return definition.length == 32;
    case SignalValueType::Double:
        return definition.length == 64;
    }
    return false;
}

std::uint64_t loadWord(const std::uint8_t* bytes, ByteOrder order)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const bool hostOrder = (order == ByteOrder::LittleEndian) == (std::endian::native == std::endian::little);
    return hostOrder ? word : __builtin_bswap64(word);
}

// Where the least significant bit lies: its byte, and its place in that byte.
std::pair<std::size_t, unsigned> lowestBitOf(const SignalDefinition& definition)
{
    const std::size_t startByte = definition.startBit / 8U;
    const unsigned startBit = definition.startBit % 8U;
    if (definition.byteOrder == ByteOrder::LittleEndian)
        return { (definition.startBit + definition.length - 1U) / 8U, startBit };
    // Counted from bit 7 of byte 0 down and on through each byte's bit 7, the bits run straight.
    const std::size_t lowest = startByte * 8 + (7 - startBit) + definition.length - 1;
    return { lowest / 8, 7 - static_cast<unsigned>(lowest % 8) };
}

} // namespace

SignalDecoder::SignalDecoder(const SignalDefinition& definition)
    : m_factor(definition.factor)
    , m_offset(definition.offset)
    , m_mask(definition.length >= 64 ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << definition.length) - 1)
    , m_firstByte(definition.startBit / 8U)
    , m_byteCount(0)
    , m_bytesNeeded(kNever)
    , m_window(0)
    , m_windowEnd(kNever)
    , m_windowShift(0)
    , m_byteShift(0)
    , m_length(definition.length)
    , m_byteOrder(definition.byteOrder)
    , m_valueType(definition.valueType)
{
    if (!readable(definition))
        return;
    const auto [lastByte, lowestBit] = lowestBitOf(definition);
    m_byteShift = lowestBit;
    m_byteCount = lastByte - m_firstByte + 1;
    m_bytesNeeded = lastByte + 1;
    if (m_byteCount > kWordBytes)
        return;
    // The word ends with the signal's last byte, or starts at byte 0 for a signal in the first 8.
    m_window = lastByte >= kWordBytes - 1 ? lastByte - (kWordBytes - 1) : 0;
    m_windowEnd = m_window + kWordBytes;
    m_windowShift = m_byteOrder == ByteOrder::LittleEndian
        ? definition.startBit - static_cast<unsigned>(m_window * 8)
        : static_cast<unsigned>((kWordBytes - 1 - (lastByte - m_window)) * 8) + m_byteShift;
}

std::optional<SignalValue> SignalDecoder::decode(std::span<const std::uint8_t> data) const
{
    if (data.size() < m_bytesNeeded)
        return std::nullopt;
    return valueOf(bitsOf(data));
}

std::uint64_t SignalDecoder::bitsOf(std::span<const std::uint8_t> data) const
{
    if (data.size() >= m_windowEnd)
        return (loadWord(data.data() + m_window, m_byteOrder) >> m_windowShift) & m_mask;
    return bitsByteByByte(data);
}

// For data shorter than 8 bytes, and for a signal spread over 9 bytes (64 bits or nearly, not starting
// at a byte's edge), which no single word holds.
std::uint64_t SignalDecoder::bitsByteByByte(std::span<const std::uint8_t> data) const
{
    const std::uint8_t* bytes = data.data() + m_firstByte;
    const std::size_t inWord = std::min(m_byteCount, kWordBytes);
    std::uint64_t word = 0;
    if (m_byteOrder == ByteOrder::LittleEndian) {
        for (std::size_t index = 0; index < inWord; ++index)
            word |= std::uint64_t { bytes[index] } << (8 * index);
        word >>= m_byteShift;
        // Nine bytes only when the signal starts inside a byte: the shift is 1 to 7.
        if (m_byteCount > kWordBytes)
            word |= std::uint64_t { bytes[kWordBytes] } << (64 - m_byteShift);
    } else {
        for (std::size_t index = 0; index < inWord; ++index)
            word = (word << 8) | bytes[index];
        if (m_byteCount > kWordBytes)
            word = (word << (8 - m_byteShift)) | (bytes[kWordBytes] >> m_byteShift);
        else
            word >>= m_byteShift;
    }
    return word & m_mask;
}

SignalValue SignalDecoder::valueOf(std::uint64_t bits) const
{
    switch (m_valueType) {
    case SignalValueType::Unsigned:
        return { bits, static_cast<double>(bits) * m_factor + m_offset };
    case SignalValueType::Signed: {
        // The sign bit moved to bit 63 and back: the shift back carries it through the bits above.
        const unsigned unused = 64 - m_length;
        const std::int64_t value = static_cast<std::int64_t>(bits << unused) >> unused;
        return { value, static_cast<double>(value) * m_factor + m_offset };
    }
    case SignalValueType::Float: {
        const double value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        return { value, value * m_factor + m_offset };
    }
    case SignalValueType::Double: {
        const double value = std::bit_cast<double>(bits);
        return { value, value * m_factor + m_offset };
    }
    }
    return {};
}

std::optional<std::string_view> valueDescriptionOf(const SignalDefinition& signal, const RawValue& raw)
{
    const auto matches = [&raw](std::int64_t described) {
        if (const auto* whole = std::get_if<std::uint64_t>(&raw))
            return described >= 0 && static_cast<std::uint64_t>(described) == *whole;
        if (const auto* whole = std::get_if<std::int64_t>(&raw))
            return described == *whole;
        return static_cast<double>(described) == std::get<double>(raw);
    };
    for (const ValueDescription& description : signal.valueDescriptions) {
        if (matches(description.raw))
            return description.text;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> selectorOf(const RawValue& raw)
{
    if (const auto* whole = std::get_if<std::uint64_t>(&raw))
        return *whole;
    if (const auto* whole = std::get_if<std::int64_t>(&raw); whole != nullptr && *whole >= 0)
        return static_cast<std::uint64_t>(*whole);
    return std::nullopt;
}

std::string physicalText(double value)
{
    char buffer[40];
    const int length = std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace vexmoor
