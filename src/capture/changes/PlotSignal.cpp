#include "capture/changes/PlotSignal.h"

#include "capture/record/RecordText.h"

namespace vexmoor {

PlotSignal PlotSignal::ofBit(std::uint32_t id, bool extended, int byte, int bit)
{
    PlotSignal signal;
    signal.id = id;
    signal.extended = extended;
    signal.firstByte = static_cast<std::uint8_t>(byte);
    signal.bit = static_cast<std::uint8_t>(bit);
    return signal;
}

PlotSignal PlotSignal::ofBytes(std::uint32_t id, bool extended, int firstByte, int byteCount, Order order)
{
    PlotSignal signal;
    signal.id = id;
    signal.extended = extended;
    signal.firstByte = static_cast<std::uint8_t>(firstByte);
    signal.byteCount = static_cast<std::uint8_t>(byteCount);
    signal.order = order;
    return signal;
}

bool PlotSignal::valid() const
{
    if (bit)
        return firstByte < CanFrame::kMaxLength && *bit < 8;
    return byteCount >= 1 && firstByte < CanFrame::kMaxLength && firstByte + byteCount <= CanFrame::kMaxLength;
}

std::optional<std::uint64_t> PlotSignal::valueIn(const CanFrame& frame) const
{
    if (frame.remote || !valid())
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

std::string PlotSignal::label() const
{
    std::string text;
    record::formatHexId(id, extended, text);
    if (bit)
        return text + " byte " + std::to_string(firstByte) + " bit " + std::to_string(*bit);
    if (byteCount == 1)
        return text + " byte " + std::to_string(firstByte);
    return text + " bytes " + std::to_string(firstByte) + "-" + std::to_string(firstByte + byteCount - 1)
        + (order == Order::BigEndian ? " (big-endian)" : " (little-endian)");
}

} // namespace vexmoor
