#include "capture/signals/MessageDecoder.h"

#include "capture/changes/FrameHistory.h"

#include <algorithm>
#include <utility>

namespace vexmoor {

MessageDecoder::MessageDecoder(MessageDefinition definition)
    : m_definition(std::move(definition))
{
    m_signals.reserve(m_definition.signalDefinitions.size());
    for (const SignalDefinition& signal : m_definition.signalDefinitions) {
        m_signals.push_back(
            { SignalDecoder(signal), signal.multiplexRole == MultiplexRole::Multiplexed, signal.multiplexValue });
        if (signal.multiplexRole == MultiplexRole::Multiplexor && !m_multiplexor)
            m_multiplexor = m_signals.size() - 1;
    }
}

std::span<const std::uint8_t> MessageDecoder::dataOf(const CanFrame& frame)
{
    if (frame.remote)
        return {};
    return std::span<const std::uint8_t>(frame.data).first(frame.dataLength());
}

std::optional<SignalValue> MessageDecoder::decode(std::span<const std::uint8_t> data, std::size_t signalIndex) const
{
    if (signalIndex >= m_signals.size())
        return std::nullopt;
    const Signal& signal = m_signals[signalIndex];
    if (signal.multiplexed && selectorIn(data) != signal.multiplexValue)
        return std::nullopt;
    return signal.decoder.decode(data);
}

std::optional<std::uint64_t> MessageDecoder::selectorIn(std::span<const std::uint8_t> data) const
{
    if (!m_multiplexor)
        return std::nullopt;
    const std::optional<SignalValue> value = m_signals[*m_multiplexor].decoder.decode(data);
    return value ? selectorOf(value->raw) : std::nullopt;
}

void MessageDecoder::decodePast(const FrameHistory& history, const PastVisit& visit, std::uint8_t bus) const
{
    history.forEachFrame(
        m_definition.id, m_definition.extended,
        [this, &visit](const CanFrame& frame) {
            decode(dataOf(frame),
                   [&](std::size_t index, const SignalValue& value) { visit(index, frame.timestampUs, value); });
        },
        bus);
}

void MessageDecoder::decodePast(const FrameHistory& history, std::size_t signalIndex, const PastVisit& visit) const
{
    history.forEachFrame(m_definition.id, m_definition.extended, [&](const CanFrame& frame) {
        if (const std::optional<SignalValue> value = decode(dataOf(frame), signalIndex))
            visit(signalIndex, frame.timestampUs, *value);
    });
}

} // namespace vexmoor
