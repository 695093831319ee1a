#pragma once

#include "capture/record/CanFrame.h"
#include "capture/signals/MessageDefinition.h"
#include "capture/signals/SignalDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vexmoor {

class FrameHistory;

// Reads a message's signals out of its frames. A multiplexed signal has a value only in frames whose
// multiplexor (the message's first) reads its multiplexValue; without a multiplexor it has none.
class MessageDecoder final {
public:
    // Signal index (in the definition's order), time and value of one signal in a past frame.
    using PastVisit = std::function<void(std::size_t, std::int64_t, const SignalValue&)>;

    explicit MessageDecoder(MessageDefinition definition);

    const MessageDefinition& definition() const { return m_definition; }

    // The data a frame carries: none for a remote frame.
    static std::span<const std::uint8_t> dataOf(const CanFrame& frame);

    // One signal's value in the data; empty when the data does not carry it.
    std::optional<SignalValue> decode(std::span<const std::uint8_t> data, std::size_t signalIndex) const;

    // Hands visit(signalIndex, value) each value the data carries, in the signals' order.
    template <typename Visit> void decode(std::span<const std::uint8_t> data, Visit&& visit) const
    {
        const std::optional<std::uint64_t> selector = selectorIn(data);
        for (std::size_t index = 0; index < m_signals.size(); ++index) {
            const Signal& signal = m_signals[index];
            if (signal.multiplexed && selector != signal.multiplexValue)
                continue;
            if (const std::optional<SignalValue> value = signal.decoder.decode(data))
                visit(index, *value);
        }
    }

    // What the history kept of the message's frames, oldest first: every value (or one signal's) as
    // the frames carried it, so that a signal defined late has its past.
    // bus: the frames of that bus while rows are kept per bus (see BusNames), else 0.
    void decodePast(const FrameHistory& history, const PastVisit& visit, std::uint8_t bus = 0) const;
    void decodePast(const FrameHistory& history, std::size_t signalIndex, const PastVisit& visit) const;

private:
    struct Signal {
        SignalDecoder decoder;
        bool multiplexed = false;
        std::uint64_t multiplexValue = 0;
    };

    std::optional<std::uint64_t> selectorIn(std::span<const std::uint8_t> data) const;

    MessageDefinition m_definition;
    std::vector<Signal> m_signals;
    std::optional<std::size_t> m_multiplexor;
};

} // namespace vexmoor
