#include "capture/signals/LatestSignalValues.h"

#include "capture/record/FrameFacts.h"

namespace vexmoor {

void LatestSignalValues::setDecoder(const FrameDecoder* decoder)
{
    m_decoder = decoder;
    m_latest.clear();
    if (decoder != nullptr) {
        for (const MessageDecoder& message : decoder->messages())
            m_latest[&message].resize(message.definition().signalDefinitions.size());
    }
    ++m_generation;
}

void LatestSignalValues::takePast(const FrameHistory& history, const std::vector<std::uint8_t>& buses)
{
    if (m_decoder == nullptr)
        return;
    for (const MessageDecoder& message : m_decoder->messages()) {
        for (const std::uint8_t bus : buses)
            message.decodePast(
                history,
                [this, &message](std::size_t index, std::int64_t timeUs, const SignalValue& value) {
                    take(message, index, timeUs, value);
                },
                bus);
    }
}

void LatestSignalValues::setBus(std::string name, const std::string* recordBus)
{
    m_bus = std::move(name);
    m_recordBus = recordBus;
}

void LatestSignalValues::frameIngested(const CanFrame& frame, const FrameFacts* facts)
{
    if (m_decoder == nullptr)
        return;
    if (!m_bus.empty()) {
        std::string_view bus;
        if (facts != nullptr)
            bus = facts->interfaceName;
        else if (m_recordBus != nullptr)
            bus = *m_recordBus;
        if (bus != m_bus)
            return;
    }
    m_decoder->decode(frame,
                      [this, &frame](const MessageDecoder& message, std::size_t index, const SignalValue& value) {
                          take(message, index, frame.timestampUs, value);
                      });
}

const LatestSignalValues::Latest* LatestSignalValues::latest(const MessageDecoder& message,
                                                             std::size_t signalIndex) const
{
    const auto found = m_latest.find(&message);
    if (found == m_latest.end() || signalIndex >= found->second.size())
        return nullptr;
    return &found->second[signalIndex];
}

void LatestSignalValues::take(const MessageDecoder& message, std::size_t signalIndex, std::int64_t timeUs,
                              const SignalValue& value)
{
    Latest& latest = m_latest[&message][signalIndex];
    if (!latest.value || !(*latest.value == value))
        latest.changedUs = timeUs;
    latest.value = value;
    latest.seenUs = timeUs;
    ++m_generation;
}

} // namespace vexmoor
