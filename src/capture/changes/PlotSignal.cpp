#include "capture/changes/PlotSignal.h"

#include "capture/record/RecordText.h"

#include <cmath>

namespace vexmoor {

namespace {

// A number past a byte (a session file's, say) stays out of range rather than wrap into it, so that
// valid() refuses it instead of plotting another byte.
std::uint8_t smallNumber(int value)
{
    return value < 0 || value > 0xFF ? 0xFF : static_cast<std::uint8_t>(value);
}

} // namespace

PlotSignal PlotSignal::ofBit(std::uint32_t id, bool extended, int byte, int bit)
{
    PlotSignal signal;
    signal.id = id;
    signal.extended = extended;
    signal.firstByte = smallNumber(byte);
    signal.bit = smallNumber(bit);
    return signal;
}

std::optional<PlotSignal> PlotSignal::ofDecoded(const MessageDefinition& message, std::size_t signalIndex)
{
    if (signalIndex >= message.signalDefinitions.size())
        return std::nullopt;
    PlotSignal signal;
    signal.id = message.id;
    signal.extended = message.extended;
    signal.decoded = std::make_shared<const Decoded>(Decoded { MessageDecoder(message), signalIndex });
    return signal;
}

const SignalDefinition& PlotSignal::Decoded::definition() const
{
    return message.definition().signalDefinitions[signalIndex];
}

std::string PlotSignal::Decoded::title() const
{
    std::string text = message.definition().name + "." + definition().name;
    return definition().unit.empty() ? text : text + " (" + definition().unit + ")";
}

PlotSignal PlotSignal::ofBytes(std::uint32_t id, bool extended, int firstByte, int byteCount, Order order)
{
    PlotSignal signal;
    signal.id = id;
    signal.extended = extended;
    signal.firstByte = smallNumber(firstByte);
    signal.byteCount = smallNumber(byteCount);
    signal.order = order;
    return signal;
}

bool PlotSignal::valid() const
{
    if (decoded)
        return true;
    // Up to a CAN FD frame's last byte; a value of at most 8 bytes, as it must fit 64 bits.
    if (bit)
        return firstByte < CanFrame::kMaxFdLength && *bit < 8;
    return byteCount >= 1 && byteCount <= CanFrame::kMaxClassicLength && firstByte < CanFrame::kMaxFdLength
        && firstByte + byteCount <= CanFrame::kMaxFdLength;
}

std::optional<std::uint64_t> PlotSignal::valueIn(const CanFrame& frame) const
{
    if (frame.remote || decoded || !valid())
        return std::nullopt;
    if (bit)
        return firstByte < frame.length ? std::optional<std::uint64_t>((frame.data[firstByte] >> *bit) & 1U)
                                        : std::nullopt;
    if (firstByte + byteCount > frame.length)
        return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 0; i < byteCount; ++i) {
        const int position = order == Order::BigEndian ? firstByte + i : firstByte + byteCount - 1 - i;
        value = (value << 8) | frame.data[static_cast<std::size_t>(position)];
    }
    return value;
}

std::optional<double> PlotSignal::plotValueIn(const CanFrame& frame) const
{
    if (decoded) {
        const std::optional<SignalValue> value
            = decoded->message.decode(MessageDecoder::dataOf(frame), decoded->signalIndex);
        // A float signal's NaN or infinity has no place on an axis.
        return value && std::isfinite(value->physical) ? std::optional(value->physical) : std::nullopt;
    }
    const std::optional<std::uint64_t> value = valueIn(frame);
    return value ? std::optional(static_cast<double>(*value)) : std::nullopt;
}

PlotSignal PlotSignal::onBus(std::uint8_t number, std::string name) const
{
    PlotSignal signal = *this;
    signal.bus = number;
    signal.busName = number == 0 ? std::string() : std::move(name);
    return signal;
}

std::string PlotSignal::label() const
{
    std::string text;
    record::formatHexId(id, extended, text);
    if (!busName.empty())
        text.insert(0, busName + " ");
    if (decoded)
        return text + " " + decoded->title();
    if (bit)
        return text + " byte " + std::to_string(firstByte) + " bit " + std::to_string(*bit);
    if (byteCount == 1)
        return text + " byte " + std::to_string(firstByte);
    return text + " bytes " + std::to_string(firstByte) + "-" + std::to_string(firstByte + byteCount - 1)
        + (order == Order::BigEndian ? " (big-endian)" : " (little-endian)");
}

bool PlotSignal::operator==(const PlotSignal& other) const
{
    if (id != other.id || extended != other.extended || bus != other.bus || bool(decoded) != bool(other.decoded))
        return false;
    if (decoded)
        return decoded->message.definition().name == other.decoded->message.definition().name
            && decoded->definition() == other.decoded->definition();
    return firstByte == other.firstByte && byteCount == other.byteCount && order == other.order && bit == other.bit;
}

} // namespace vexmoor
