#include "capture/signals/FrameDecoder.h"

#include <algorithm>

namespace vexmoor {

FrameDecoder::FrameDecoder(const std::vector<MessageDefinition>& messages)
    : m_standard(CanFrame::kMaxStandardId + 1, 0)
{
    for (const MessageDefinition& message : messages) {
        if (message.id > (message.extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId)
            || find(message.id, message.extended) != nullptr)
            continue;
        const auto position = static_cast<std::uint32_t>(m_messages.size());
        m_messages.emplace_back(message);
        if (message.extended) {
            const auto place = std::lower_bound(m_extended.begin(), m_extended.end(),
                                                std::pair<std::uint32_t, std::uint32_t> { message.id, 0 });
            m_extended.insert(place, { message.id, position });
        } else {
            m_standard[message.id] = position + 1;
        }
    }
}

const MessageDecoder* FrameDecoder::find(std::uint32_t id, bool extended) const
{
    if (!extended)
        return id < m_standard.size() && m_standard[id] != 0 ? &m_messages[m_standard[id] - 1] : nullptr;
    const auto place = std::lower_bound(m_extended.begin(), m_extended.end(), id,
                                        [](const auto& entry, std::uint32_t wanted) { return entry.first < wanted; });
    return place != m_extended.end() && place->first == id ? &m_messages[place->second] : nullptr;
}

} // namespace vexmoor
