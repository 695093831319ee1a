#pragma once

#include "capture/formats/DbcCursor.h"
#include "capture/signals/SignalDatabase.h"

#include <string>
#include <variant>
#include <vector>

namespace vexmoor {

// The statements of a DBC file that speak of its nodes, messages and signals, held until the whole file
// is read (a comment may come before the message it is about), then put where they belong. A statement
// about a node, message or signal the file does not define is kept as the file wrote it, and so is
// every statement this program does not read, all in file order.
class DbcReferences final {
public:
    struct MessageKey {
        std::uint32_t id = 0;
        bool extended = false;
    };
    struct NodeComment {
        std::string node;
        std::string comment;
    };
    struct MessageComment {
        MessageKey message;
        std::string comment;
    };
    struct SignalComment {
        MessageKey message;
        std::string signal;
        std::string comment;
    };
    struct SignalValues {
        MessageKey message;
        std::string signal;
        std::vector<ValueDescription> values;
    };
    struct ValueType {
        MessageKey message;
        std::string signal;
        SignalValueType type = SignalValueType::Float;
    };
    struct Transmitters {
        MessageKey message;
        std::vector<std::string> nodes;
    };
    struct Kept { };
    using Statement = std::variant<Kept, NodeComment, MessageComment, SignalComment, SignalValues, ValueType,
                                   Transmitters, AttributeValue, MultiplexValueRanges>;

    // text: the statement as written; position: where it starts, for a refusal.
    void add(Statement statement, std::string_view text, DbcCursor::Position position);

    // Throws DbcError for a statement that contradicts what it is about.
    void applyTo(SignalDatabase& database) const;

private:
    struct Held {
        Statement statement;
        std::string text;
        DbcCursor::Position position;
    };

    // Each returns false when what the statement is about is not there.
    static bool apply(const Kept&, const Held&, SignalDatabase&) { return false; }
    static bool apply(const NodeComment& comment, const Held&, SignalDatabase& database);
    static bool apply(const MessageComment& comment, const Held&, SignalDatabase& database);
    static bool apply(const SignalComment& comment, const Held&, SignalDatabase& database);
    static bool apply(const SignalValues& values, const Held&, SignalDatabase& database);
    static bool apply(const ValueType& valueType, const Held& held, SignalDatabase& database);
    static bool apply(const Transmitters& transmitters, const Held&, SignalDatabase& database);
    static bool apply(const AttributeValue& value, const Held&, SignalDatabase& database);
    static bool apply(const MultiplexValueRanges& ranges, const Held&, SignalDatabase& database);

    std::vector<Held> m_held;
};

} // namespace vexmoor
