#include "capture/signals/SignalDatabase.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace vexmoor {

namespace {

bool keyBefore(const MessageDefinition& message, std::uint32_t id, bool extended)
{
    return std::tie(message.id, message.extended) < std::tie(id, extended);
}

} // namespace

const MessageDefinition* SignalDatabase::message(std::uint32_t id, bool extended) const
{
    const auto found = std::lower_bound(
        m_messages.begin(), m_messages.end(), id,
        [extended](const MessageDefinition& message, std::uint32_t key) { return keyBefore(message, key, extended); });
    if (found == m_messages.end() || found->id != id || found->extended != extended)
        return nullptr;
    return &*found;
}

MessageDefinition* SignalDatabase::message(std::uint32_t id, bool extended)
{
    return const_cast<MessageDefinition*>(std::as_const(*this).message(id, extended));
}

bool SignalDatabase::addMessage(MessageDefinition message)
{
    const auto found = std::lower_bound(m_messages.begin(), m_messages.end(), message,
                                        [](const MessageDefinition& held, const MessageDefinition& added) {
                                            return keyBefore(held, added.id, added.extended);
                                        });
    if (found != m_messages.end() && found->id == message.id && found->extended == message.extended)
        return false;
    const auto index = found - m_messages.begin();
    m_ownSignalCounts.insert(m_ownSignalCounts.begin() + index, message.signalDefinitions.size());
    m_messages.insert(found, std::move(message));
    return true;
}

bool SignalDatabase::removeMessage(std::uint32_t id, bool extended)
{
    const MessageDefinition* held = message(id, extended);
    if (held == nullptr)
        return false;
    const auto index = held - m_messages.data();
    m_messages.erase(m_messages.begin() + index);
    m_ownSignalCounts.erase(m_ownSignalCounts.begin() + index);
    std::erase_if(attributeValues, [&](const AttributeValue& value) {
        const bool ofMessage = value.object == AttributeObject::Message || value.object == AttributeObject::Signal;
        return ofMessage && value.messageId == id && value.extended == extended;
    });
    std::erase_if(multiplexValueRanges, [&](const MultiplexValueRanges& ranges) {
        return ranges.messageId == id && ranges.extended == extended;
    });
    return true;
}

void SignalDatabase::renameMessageReferences(std::uint32_t id, bool extended, std::uint32_t newId, bool newExtended)
{
    for (AttributeValue& value : attributeValues) {
        const bool ofMessage = value.object == AttributeObject::Message || value.object == AttributeObject::Signal;
        if (ofMessage && value.messageId == id && value.extended == extended) {
            value.messageId = newId;
            value.extended = newExtended;
        }
    }
    for (MultiplexValueRanges& ranges : multiplexValueRanges) {
        if (ranges.messageId == id && ranges.extended == extended) {
            ranges.messageId = newId;
            ranges.extended = newExtended;
        }
    }
}

void SignalDatabase::renameSignalReferences(std::uint32_t id, bool extended, const std::string& name,
                                            const std::string& newName)
{
    for (AttributeValue& value : attributeValues) {
        if (value.object == AttributeObject::Signal && value.messageId == id && value.extended == extended
            && value.objectName == name)
            value.objectName = newName;
    }
    for (MultiplexValueRanges& ranges : multiplexValueRanges) {
        if (ranges.messageId != id || ranges.extended != extended)
            continue;
        if (ranges.signal == name)
            ranges.signal = newName;
        if (ranges.multiplexor == name)
            ranges.multiplexor = newName;
    }
}

bool SignalDatabase::addSignal(std::uint32_t id, bool extended, SignalDefinition signal)
{
    MessageDefinition* held = message(id, extended);
    if (!held)
        return false;
    auto& signals = held->signalDefinitions;
    // The message's own signals may have been taken away since it was added.
    const auto ownCount
        = std::min(m_ownSignalCounts[static_cast<std::size_t>(held - m_messages.data())], signals.size());
    const auto position = std::upper_bound(
        signals.begin() + static_cast<std::ptrdiff_t>(ownCount), signals.end(), signal.startBit,
        [](std::uint16_t startBit, const SignalDefinition& other) { return startBit < other.startBit; });
    signals.insert(position, std::move(signal));
    return true;
}

NodeDefinition* SignalDatabase::node(const std::string& name)
{
    const auto found
        = std::find_if(nodes.begin(), nodes.end(), [&name](const auto& node) { return node.name == name; });
    return found == nodes.end() ? nullptr : &*found;
}

auto SignalDatabase::contents() const
{
    return std::tie(encoding, crlfLineEnds, headerSections, version, newSymbols, bitTiming, nodes, comments,
                    valueTables, attributeDefinitions, attributeDefaults, attributeValues, multiplexValueRanges,
                    keptStatements, m_messages);
}

bool SignalDatabase::operator==(const SignalDatabase& other) const
{
    return contents() == other.contents();
}

} // namespace vexmoor
