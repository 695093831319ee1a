#pragma once

#include "capture/record/CanFrame.h"
#include "capture/signals/MessageDecoder.h"
#include "capture/signals/MessageDefinition.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vexmoor {

// The messages of a signal database, found by identifier. Most frames on a bus have no definition, so
// finding that out is what must cost least: a table look-up for a standard identifier, a binary
// search among the defined ones for an extended one.
class FrameDecoder final {
public:
    FrameDecoder() = default;
    // Where two messages share an identifier, the first is kept; an identifier out of range is left out.
    explicit FrameDecoder(const std::vector<MessageDefinition>& messages);

    // nullptr for an identifier without a definition.
    const MessageDecoder* find(std::uint32_t id, bool extended) const;
    std::size_t messageCount() const { return m_messages.size(); }
    // Every message, in the database's order.
    const std::vector<MessageDecoder>& messages() const { return m_messages; }

    // Hands visit(message, signalIndex, value) each value the frame carries; false when its identifier
    // has no definition.
    template <typename Visit> bool decode(const CanFrame& frame, Visit&& visit) const
    {
        const MessageDecoder* message = find(frame.id, frame.extended);
        if (message == nullptr)
            return false;
        message->decode(MessageDecoder::dataOf(frame),
                        [&](std::size_t index, const SignalValue& value) { visit(*message, index, value); });
        return true;
    }

private:
    std::vector<MessageDecoder> m_messages;
    // Position + 1 in m_messages of each standard identifier (0: none); empty without a database.
    std::vector<std::uint32_t> m_standard;
    // Extended identifier and position, sorted by identifier.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_extended;
};

} // namespace vexmoor
