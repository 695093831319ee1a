#pragma once

#include "capture/signals/MessageDefinition.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexmoor {

// How the file's bytes were, and are to be, written; the database holds all its text as UTF-8.
enum class TextEncoding { Utf8, Windows1252 };

// What an attribute or attribute definition is about (DBC's "BU_", "BO_", "SG_", "EV_" or nothing).
enum class AttributeObject { Network, Node, Message, Signal, EnvironmentVariable };

// An attribute's value as the file wrote it: a number keeps its own text, a string is held unquoted.
struct AttributeText {
    std::string text;
    bool quoted = false;

    bool operator==(const AttributeText&) const = default;
};

// BA_DEF_: the value type is INT, HEX, FLOAT, STRING or ENUM, its parameters the minimum and maximum
// or the names an ENUM may take.
struct AttributeDefinition {
    AttributeObject object = AttributeObject::Network;
    std::string name;
    std::string valueType;
    std::vector<AttributeText> parameters;

    bool operator==(const AttributeDefinition&) const = default;
};

// BA_DEF_DEF_.
struct AttributeDefault {
    std::string name;
    AttributeText value;

    bool operator==(const AttributeDefault&) const = default;
};

// BA_: objectName is the node, signal or environment variable; a message and a signal also have the
// message's identifier.
struct AttributeValue {
    std::string name;
    AttributeObject object = AttributeObject::Network;
    std::uint32_t messageId = 0;
    bool extended = false;
    std::string objectName;
    AttributeText value;

    bool operator==(const AttributeValue&) const = default;
};

struct NodeDefinition {
    std::string name;
    std::string comment;

    bool operator==(const NodeDefinition&) const = default;
};

// VAL_TABLE_: value descriptions with a name of their own, for signals to share.
struct ValueTable {
    std::string name;
    std::vector<ValueDescription> values;

    bool operator==(const ValueTable&) const = default;
};

// SG_MUL_VAL_: the raw values of its multiplexor for which a signal is in the frame, as ranges.
struct MultiplexValueRanges {
    std::uint32_t messageId = 0;
    bool extended = false;
    std::string signal;
    std::string multiplexor;
    struct Range {
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        bool operator==(const Range&) const = default;
    };
    std::vector<Range> ranges;

    bool operator==(const MultiplexValueRanges&) const = default;
};

// Which of the sections that open a DBC file it had.
struct HeaderSections {
    bool version = false;
    bool newSymbols = false;
    bool bitTiming = false;
    bool nodes = false;

    bool operator==(const HeaderSections&) const = default;
};

// Everything one DBC file holds. The messages are kept in identifier order, a standard message before
// an extended one of the same number, so they are reached through functions; the rest is plain data.
// keptStatements are what this program does not read, each as the file wrote it (in UTF-8 with "\n"
// line ends), in file order.
class SignalDatabase {
public:
    TextEncoding encoding = TextEncoding::Utf8;
    bool crlfLineEnds = false;
    HeaderSections headerSections;
    std::string version;
    std::vector<std::string> newSymbols; // NS_
    std::string bitTiming; // what follows "BS_:"
    std::vector<NodeDefinition> nodes;
    std::vector<std::string> comments; // of the network
    std::vector<ValueTable> valueTables;
    std::vector<AttributeDefinition> attributeDefinitions;
    std::vector<AttributeDefault> attributeDefaults;
    std::vector<AttributeValue> attributeValues; // all but the messages' cycle times
    std::vector<MultiplexValueRanges> multiplexValueRanges;
    std::vector<std::string> keptStatements;

    const std::vector<MessageDefinition>& messages() const { return m_messages; }
    const MessageDefinition* message(std::uint32_t id, bool extended) const;
    MessageDefinition* message(std::uint32_t id, bool extended);

    // False, and nothing added, when a message with its identifier is there already. The signals it
    // brings count as its own, in their order; those added later go after them.
    bool addMessage(MessageDefinition message);

    // Adds a signal after the message's own, among those added before it by start bit; false when there
    // is no such message.
    bool addSignal(std::uint32_t id, bool extended, SignalDefinition signal);

    // Takes the message away with its signals, and the attribute values and multiplex ranges that
    // speak of them; false when there is none.
    bool removeMessage(std::uint32_t id, bool extended);
    // What attribute values and multiplex ranges say of a message or of one of its signals, said of
    // another identifier or name from now on: the message or signal was given a new one.
    void renameMessageReferences(std::uint32_t id, bool extended, std::uint32_t newId, bool newExtended);
    void renameSignalReferences(std::uint32_t id, bool extended, const std::string& name, const std::string& newName);

    NodeDefinition* node(const std::string& name);

    // The same contents, whichever signals were added later.
    bool operator==(const SignalDatabase& other) const;

private:
    auto contents() const;

    std::vector<MessageDefinition> m_messages;
    std::vector<std::size_t> m_ownSignalCounts; // of each message, in the same order
};

} // namespace vexmoor
