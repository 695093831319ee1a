#pragma once

#include "capture/signals/SignalDatabase.h"

#include <string>
#include <vector>

namespace vexmoor {

// Writes a signal database as the text of a DBC file, always the same text for the same database:
// the opening sections (those the file lacked added empty, NS_ with the usual list), the value tables,
// the messages by identifier with their signals in order, then the further senders, comments,
// attribute definitions, defaults and values, value descriptions, signal value types, multiplexing and
// the statements kept as read, a blank line between sections. Numbers take their shortest exact form,
// so that 0.1 stays "0.1".
//
// The text is in the database's encoding and line ends. Where Windows-1252 lacks a character the text
// holds, or its bytes would read back as different UTF-8 text, the file is written in UTF-8 instead, so
// that it reads back as what was written.
class DbcWriter final {
public:
    static std::string write(const SignalDatabase& database);

private:
    // Each section is its lines, each line ending in "\n"; empty when it has none.
    static std::vector<std::string> headerSections(const SignalDatabase& database);
    static std::string valueTables(const SignalDatabase& database);
    static std::string message(const MessageDefinition& message);
    static void appendSignal(const SignalDefinition& signal, std::string& out);
    static std::string transmitters(const SignalDatabase& database);
    static std::string comments(const SignalDatabase& database);
    static std::string attributeDefinitions(const SignalDatabase& database);
    static std::string attributeDefaults(const SignalDatabase& database);
    static std::string attributeValues(const SignalDatabase& database);
    static std::string valueDescriptions(const SignalDatabase& database);
    static std::string valueTypes(const SignalDatabase& database);
    static std::string multiplexing(const SignalDatabase& database);
    static std::string keptStatements(const SignalDatabase& database);
    static std::string encoded(std::string text, const SignalDatabase& database);
};

} // namespace vexmoor
