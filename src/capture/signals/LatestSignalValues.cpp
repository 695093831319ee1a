#include "capture/signals/LatestSignalValues.h"

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

void LatestSignalValues::takePast(const FrameHistory& history)
{
    if (m_decoder == nullptr)
        return;
    for (const MessageDecoder& message : m_decoder->messages()) {
        message.decodePast(history, [this, &message](std::size_t index, std::int64_t timeUs, const SignalValue& value) {
            take(message, index, timeUs, value);
        });
    }
}

void LatestSignalValues::frameIngested(const CanFrame& frame, const FrameFacts*)
{
    if (m_decoder == nullptr)
        return;
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
