#include "capture/formats/DbcWriter.h"

#include "capture/record/Utf8.h"
#include "capture/record/Windows1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace vexmoor {

namespace {

constexpr std::uint32_t kExtendedFlag = 0x80000000;
constexpr std::string_view kNoNode = "Vector__XXX";
constexpr std::string_view kCycleTime = "GenMsgCycleTime";
constexpr std::uint32_t kUsualCycleTimeMaximum = 65535;
// Whole numbers below this are exact in a double and are written without an exponent.
constexpr double kWholeNumberLimit = 9007199254740992.0; // 2^53

// The symbols that the common tools list after NS_.
constexpr std::array<std::string_view, 28> kUsualNewSymbols {
    "NS_DESC_",     "CM_",
    "BA_DEF_",      "BA_",
    "VAL_",         "CAT_DEF_",
    "CAT_",         "FILTER",
    "BA_DEF_DEF_",  "EV_DATA_",
    "ENVVAR_DATA_", "SGTYPE_",
    "SGTYPE_VAL_",  "BA_DEF_SGTYPE_",
    "BA_SGTYPE_",   "SIG_TYPE_REF_",
    "VAL_TABLE_",   "SIG_GROUP_",
    "SIG_VALTYPE_", "SIGTYPE_VALTYPE_",
    "BO_TX_BU_",    "BA_DEF_REL_",
    "BA_REL_",      "BA_DEF_DEF_REL_",
    "BU_SG_REL_",   "BU_EV_REL_",
    "BU_BO_REL_",   "SG_MUL_VAL_",
};

template <typename Integer> void appendInteger(Integer value, std::string& out)
{
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), value).ptr);
}

void appendNumber(double value, std::string& out)
{
    if (std::abs(value) < kWholeNumberLimit && value == std::trunc(value)) {
        appendInteger(static_cast<std::int64_t>(value), out);
        return;
    }
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), value).ptr);
}

// A backslash is written doubled so that a string ending in one still ends where it should.
void appendQuoted(std::string_view text, std::string& out)
{
    out.push_back('"');
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendMessageId(std::uint32_t id, bool extended, std::string& out)
{
    appendInteger(extended ? id | kExtendedFlag : id, out);
}

void appendNode(std::string_view name, std::string& out)
{
    out.append(name.empty() ? kNoNode : name);
}

void appendAttributeText(const AttributeText& value, std::string& out)
{
    if (value.quoted)
        appendQuoted(value.text, out);
    else
        out.append(value.text);
}

void appendValueList(const std::vector<ValueDescription>& values, std::string& out)
{
    for (const auto& value : values) {
        out.push_back(' ');
        appendInteger(value.raw, out);
        out.push_back(' ');
        appendQuoted(value.text, out);
    }
    out.append(" ;\n");
}

std::string_view keywordOf(AttributeObject object)
{
    switch (object) {
    case AttributeObject::Node:
        return "BU_ ";
    case AttributeObject::Message:
        return "BO_ ";
    case AttributeObject::Signal:
        return "SG_ ";
    case AttributeObject::EnvironmentVariable:
        return "EV_ ";
    case AttributeObject::Network:
        break;
    }
    return "";
}

void appendCycleTimeDefinition(std::uint32_t maximum, std::string& out)
{
    out.append("BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 ");
    appendInteger(maximum, out);
    out.append(";\n");
}

bool isCycleTimeDefinition(const AttributeDefinition& definition)
{
    return definition.name == kCycleTime;
}

} // namespace

std::string DbcWriter::write(const SignalDatabase& database)
{
    std::vector<std::string> sections = headerSections(database);
    sections.push_back(valueTables(database));
    for (const auto& held : database.messages())
        sections.push_back(message(held));
    for (auto* section : { &transmitters, &comments, &attributeDefinitions, &attributeDefaults, &attributeValues,
                           &valueDescriptions, &valueTypes, &multiplexing, &keptStatements })
        sections.push_back((*section)(database));

    std::string text;
    for (const auto& section : sections) {
        if (section.empty())
            continue;
        if (!text.empty())
            text.push_back('\n');
        text.append(section);
    }
    return encoded(std::move(text), database);
}

std::vector<std::string> DbcWriter::headerSections(const SignalDatabase& database)
{
    std::string version = "VERSION ";
    appendQuoted(database.version, version);
    version.push_back('\n');

    std::string newSymbols = "NS_ :\n";
    const auto appendSymbol = [&newSymbols](std::string_view symbol) {
        newSymbols.push_back('\t');
        newSymbols.append(symbol);
        newSymbols.push_back('\n');
    };
    if (database.headerSections.newSymbols)
        std::for_each(database.newSymbols.begin(), database.newSymbols.end(), appendSymbol);
    else
        std::for_each(kUsualNewSymbols.begin(), kUsualNewSymbols.end(), appendSymbol);

    std::string bitTiming = "BS_:";
    if (!database.bitTiming.empty())
        bitTiming.append(" " + database.bitTiming);
    bitTiming.push_back('\n');

    std::string nodes = "BU_:";
    for (const auto& node : database.nodes)
        nodes.append(" " + node.name);
    nodes.push_back('\n');
    return { version, newSymbols, bitTiming, nodes };
}

std::string DbcWriter::valueTables(const SignalDatabase& database)
{
    std::string out;
    for (const auto& table : database.valueTables) {
        out.append("VAL_TABLE_ " + table.name);
        appendValueList(table.values, out);
    }
    return out;
}

std::string DbcWriter::message(const MessageDefinition& message)
{
    std::string out = "BO_ ";
    appendMessageId(message.id, message.extended, out);
    out.append(" " + message.name + ": ");
    appendInteger(message.length, out);
    out.push_back(' ');
    appendNode(message.sender, out);
    out.push_back('\n');
    for (const auto& signal : message.signalDefinitions)
        appendSignal(signal, out);
    return out;
}

void DbcWriter::appendSignal(const SignalDefinition& signal, std::string& out)
{
    out.append(" SG_ " + signal.name);
    if (signal.multiplexRole == MultiplexRole::Multiplexor) {
        out.append(" M");
    } else if (signal.multiplexRole == MultiplexRole::Multiplexed) {
        out.append(" m");
        appendInteger(signal.multiplexValue, out);
    }
    out.append(" : ");
    appendInteger(signal.startBit, out);
    out.push_back('|');
    appendInteger(signal.length, out);
    out.append(signal.byteOrder == ByteOrder::LittleEndian ? "@1" : "@0");
    // A float's bits hold a sign of their own.
    out.push_back(signal.valueType == SignalValueType::Unsigned ? '+' : '-');
    out.append(" (");
    appendNumber(signal.factor, out);
    out.push_back(',');
    appendNumber(signal.offset, out);
    out.append(") [");
    appendNumber(signal.minimum, out);
    out.push_back('|');
    appendNumber(signal.maximum, out);
    out.append("] ");
    appendQuoted(signal.unit, out);
    out.push_back(' ');
    for (std::size_t index = 0; index < signal.receivers.size(); ++index)
        out.append((index == 0 ? "" : ",") + signal.receivers[index]);
    if (signal.receivers.empty())
        out.append(kNoNode);
    out.push_back('\n');
}

std::string DbcWriter::transmitters(const SignalDatabase& database)
{
    std::string out;
    for (const auto& message : database.messages()) {
        if (message.transmitters.empty())
            continue;
        out.append("BO_TX_BU_ ");
        appendMessageId(message.id, message.extended, out);
        out.append(" :");
        for (std::size_t index = 0; index < message.transmitters.size(); ++index)
            out.append((index == 0 ? " " : ",") + message.transmitters[index]);
        out.append(";\n");
    }
    return out;
}

std::string DbcWriter::comments(const SignalDatabase& database)
{
    std::string out;
    const auto appendComment = [&out](std::string_view comment) {
        appendQuoted(comment, out);
        out.append(";\n");
    };
    for (const auto& comment : database.comments) {
        out.append("CM_ ");
        appendComment(comment);
    }
    for (const auto& node : database.nodes) {
        if (!node.comment.empty()) {
            out.append("CM_ BU_ " + node.name + " ");
            appendComment(node.comment);
        }
    }
    for (const auto& message : database.messages()) {
        if (!message.comment.empty()) {
            out.append("CM_ BO_ ");
            appendMessageId(message.id, message.extended, out);
            out.push_back(' ');
            appendComment(message.comment);
        }
        for (const auto& signal : message.signalDefinitions) {
            if (signal.comment.empty())
                continue;
            out.append("CM_ SG_ ");
            appendMessageId(message.id, message.extended, out);
            out.append(" " + signal.name + " ");
            appendComment(signal.comment);
        }
    }
    return out;
}

std::string DbcWriter::attributeDefinitions(const SignalDatabase& database)
{
    std::string out;
    for (const auto& definition : database.attributeDefinitions) {
        out.append("BA_DEF_ ");
        out.append(keywordOf(definition.object));
        appendQuoted(definition.name, out);
        out.append(" " + definition.valueType);
        // ENUM's names are set apart by commas, the numbers of the others by blanks.
        const bool enumeration = definition.valueType == "ENUM";
        for (std::size_t index = 0; index < definition.parameters.size(); ++index) {
            out.push_back(enumeration && index > 0 ? ',' : ' ');
            appendAttributeText(definition.parameters[index], out);
        }
        out.append(";\n");
    }
    // A cycle time needs its definition, which a database made here may lack.
    const auto& messages = database.messages();
    std::uint32_t longest = 0;
    bool anyCycleTime = false;
    for (const auto& message : messages) {
        anyCycleTime = anyCycleTime || message.cycleTimeMs.has_value();
        longest = std::max(longest, message.cycleTimeMs.value_or(0));
    }
    const auto& definitions = database.attributeDefinitions;
    if (anyCycleTime && std::none_of(definitions.begin(), definitions.end(), isCycleTimeDefinition))
        appendCycleTimeDefinition(std::max(longest, kUsualCycleTimeMaximum), out);
    return out;
}

std::string DbcWriter::attributeDefaults(const SignalDatabase& database)
{
    std::string out;
    for (const auto& attributeDefault : database.attributeDefaults) {
        out.append("BA_DEF_DEF_ ");
        appendQuoted(attributeDefault.name, out);
        out.push_back(' ');
        appendAttributeText(attributeDefault.value, out);
        out.append(";\n");
    }
    return out;
}

std::string DbcWriter::attributeValues(const SignalDatabase& database)
{
    std::string out;
    for (const auto& value : database.attributeValues) {
        out.append("BA_ ");
        appendQuoted(value.name, out);
        out.push_back(' ');
        out.append(keywordOf(value.object));
        if (value.object == AttributeObject::Message || value.object == AttributeObject::Signal) {
            appendMessageId(value.messageId, value.extended, out);
            out.push_back(' ');
        }
        if (!value.objectName.empty() && value.object != AttributeObject::Message)
            out.append(value.objectName + " ");
        appendAttributeText(value.value, out);
        out.append(";\n");
    }
    for (const auto& message : database.messages()) {
        if (!message.cycleTimeMs)
            continue;
        out.append("BA_ \"GenMsgCycleTime\" BO_ ");
        appendMessageId(message.id, message.extended, out);
        out.push_back(' ');
        appendInteger(*message.cycleTimeMs, out);
        out.append(";\n");
    }
    return out;
}

std::string DbcWriter::valueDescriptions(const SignalDatabase& database)
{
    std::string out;
    for (const auto& message : database.messages()) {
        for (const auto& signal : message.signalDefinitions) {
            if (signal.valueDescriptions.empty())
                continue;
            out.append("VAL_ ");
            appendMessageId(message.id, message.extended, out);
            out.append(" " + signal.name);
            appendValueList(signal.valueDescriptions, out);
        }
    }
    return out;
}

std::string DbcWriter::valueTypes(const SignalDatabase& database)
{
    std::string out;
    for (const auto& message : database.messages()) {
        for (const auto& signal : message.signalDefinitions) {
            if (signal.valueType != SignalValueType::Float && signal.valueType != SignalValueType::Double)
                continue;
            out.append("SIG_VALTYPE_ ");
            appendMessageId(message.id, message.extended, out);
            out.append(" " + signal.name + " : ");
            out.append(signal.valueType == SignalValueType::Float ? "1" : "2");
            out.append(";\n");
        }
    }
    return out;
}

std::string DbcWriter::multiplexing(const SignalDatabase& database)
{
    std::string out;
    for (const auto& ranges : database.multiplexValueRanges) {
        out.append("SG_MUL_VAL_ ");
        appendMessageId(ranges.messageId, ranges.extended, out);
        out.append(" " + ranges.signal + " " + ranges.multiplexor);
        for (std::size_t index = 0; index < ranges.ranges.size(); ++index) {
            out.append(index == 0 ? " " : ", ");
            appendInteger(ranges.ranges[index].first, out);
            out.push_back('-');
            appendInteger(ranges.ranges[index].last, out);
        }
        out.append(";\n");
    }
    return out;
}

std::string DbcWriter::keptStatements(const SignalDatabase& database)
{
    std::string out;
    for (const auto& statement : database.keptStatements)
        out.append(statement + "\n");
    return out;
}

std::string DbcWriter::encoded(std::string text, const SignalDatabase& database)
{
    if (database.crlfLineEnds) {
        std::string lines;
        lines.reserve(text.size() + text.size() / 16);
        for (const char c : text) {
            if (c == '\n')
                lines.push_back('\r');
            lines.push_back(c);
        }
        text = std::move(lines);
    }
    if (database.encoding != TextEncoding::Windows1252)
        return text;
    auto bytes = windows1252::fromUtf8(text);
    // Bytes that are valid UTF-8 with any beyond ASCII would read back as UTF-8, and so as other text.
    const bool readsBackAsUtf8 = bytes && utf8::isValid(*bytes)
        && std::any_of(bytes->begin(), bytes->end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return bytes && !readsBackAsUtf8 ? std::move(*bytes) : text;
}

} // namespace vexmoor
