#include "capture/formats/DbcReferences.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace vexmoor {

namespace {

constexpr std::string_view kCycleTime = "GenMsgCycleTime";

SignalDefinition* findSignal(SignalDatabase& database, DbcReferences::MessageKey key, const std::string& name)
{
    MessageDefinition* message = database.message(key.id, key.extended);
    if (!message)
        return nullptr;
    auto& signals = message->signalDefinitions;
    const auto found = std::find_if(signals.begin(), signals.end(), [&name](const auto& s) { return s.name == name; });
    return found == signals.end() ? nullptr : &*found;
}

std::optional<std::uint32_t> cycleTimeOf(const AttributeText& value)
{
    std::uint32_t milliseconds = 0;
    const auto end = value.text.data() + value.text.size();
    const auto result = std::from_chars(value.text.data(), end, milliseconds);
    if (value.quoted || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return milliseconds;
}

} // namespace

void DbcReferences::add(Statement statement, std::string_view text, DbcCursor::Position position)
{
    m_held.push_back({ std::move(statement), std::string(text), position });
}

void DbcReferences::applyTo(SignalDatabase& database) const
{
    for (const Held& held : m_held) {
        const bool applied
            = std::visit([&](const auto& statement) { return apply(statement, held, database); }, held.statement);
        if (!applied)
            database.keptStatements.push_back(held.text);
    }
}

bool DbcReferences::apply(const NodeComment& comment, const Held&, SignalDatabase& database)
{
    NodeDefinition* node = database.node(comment.node);
    if (node)
        node->comment = comment.comment;
    return node != nullptr;
}

bool DbcReferences::apply(const MessageComment& comment, const Held&, SignalDatabase& database)
{
    MessageDefinition* message = database.message(comment.message.id, comment.message.extended);
    if (message)
        message->comment = comment.comment;
    return message != nullptr;
}

bool DbcReferences::apply(const SignalComment& comment, const Held&, SignalDatabase& database)
{
    SignalDefinition* signal = findSignal(database, comment.message, comment.signal);
    if (signal)
        signal->comment = comment.comment;
    return signal != nullptr;
}

bool DbcReferences::apply(const SignalValues& values, const Held&, SignalDatabase& database)
{
    SignalDefinition* signal = findSignal(database, values.message, values.signal);
    if (signal)
        signal->valueDescriptions = values.values;
    return signal != nullptr;
}

bool DbcReferences::apply(const ValueType& valueType, const Held& held, SignalDatabase& database)
{
    SignalDefinition* signal = findSignal(database, valueType.message, valueType.signal);
    if (!signal)
        return false;
    // The decoder takes a float's bits as IEEE single or double precision: no other length means anything.
    const bool single = valueType.type == SignalValueType::Float;
    const unsigned length = single ? 32 : 64;
    if (signal->length != length)
        DbcCursor::refuseAt(held.position,
                            "signal " + signal->name + " is " + std::to_string(signal->length) + " bits long, but a "
                                + (single ? "float" : "double") + " has " + std::to_string(length));
    signal->valueType = valueType.type;
    return true;
}

bool DbcReferences::apply(const Transmitters& transmitters, const Held&, SignalDatabase& database)
{
    MessageDefinition* message = database.message(transmitters.message.id, transmitters.message.extended);
    if (message)
        message->transmitters = transmitters.nodes;
    return message != nullptr;
}

bool DbcReferences::apply(const AttributeValue& value, const Held&, SignalDatabase& database)
{
    MessageDefinition* message = value.object == AttributeObject::Message && value.name == kCycleTime
        ? database.message(value.messageId, value.extended)
        : nullptr;
    const auto cycleTime = message ? cycleTimeOf(value.value) : std::nullopt;
    if (cycleTime)
        message->cycleTimeMs = cycleTime;
    else
        database.attributeValues.push_back(value);
    return true;
}

bool DbcReferences::apply(const MultiplexValueRanges& ranges, const Held&, SignalDatabase& database)
{
    const MessageKey key { ranges.messageId, ranges.extended };
    if (!findSignal(database, key, ranges.signal) || !findSignal(database, key, ranges.multiplexor))
        return false;
    database.multiplexValueRanges.push_back(ranges);
    return true;
}

} // namespace vexmoor
