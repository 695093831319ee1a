#include "capture/formats/DbcReader.h"

#include "capture/record/Utf8.h"
#include "capture/record/Windows1252.h"
#include "capture/signals/SignalDraft.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexmoor {

namespace {

constexpr std::uint32_t kExtendedFlag = 0x80000000;
// Vector's tools hold the signals that belong to no message in a message of this identifier (an
// extended one beyond what CAN allows), with no bytes: kept as written, it stays out of the messages.
constexpr std::uint64_t kIndependentSignalsId = 0xC0000000;
constexpr std::uint64_t kMaxMessageBytes = 64;
constexpr std::uint64_t kMaxSignalBits = 64;
constexpr std::uint64_t kMaxStartBit = kMaxMessageBytes * 8 - 1;
constexpr std::string_view kNoNode = "Vector__XXX";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isIdentifier(std::string_view word)
{
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return !word.empty() && letter(word.front())
        && std::all_of(word.begin(), word.end(), [&](char c) { return letter(c) || digit(c); });
}

bool isNumber(std::string_view word)
{
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<AttributeObject> attributeObjectOf(std::string_view word)
{
    if (word == "BU_")
        return AttributeObject::Node;
    if (word == "BO_")
        return AttributeObject::Message;
    if (word == "SG_")
        return AttributeObject::Signal;
    if (word == "EV_")
        return AttributeObject::EnvironmentVariable;
    return std::nullopt;
}

// The text as UTF-8 with "\n" line ends, without a byte order mark. A DBC file does not say how it is
// encoded: text that is valid UTF-8 as a whole is taken as UTF-8 (plain ASCII is too), anything else as
// Windows-1252, the code page of the Windows tools that wrote the older files, which every byte
// sequence is valid in.
std::string normalised(std::string_view bytes, TextEncoding& encoding, bool& crlfLineEnds)
{
    encoding = utf8::isValid(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    std::string text = encoding == TextEncoding::Utf8 ? std::string(bytes) : windows1252::toUtf8(bytes);
    if (text.starts_with(kByteOrderMark))
        text.erase(0, kByteOrderMark.size());
    const auto firstLineEnd = text.find('\n');
    crlfLineEnds = firstLineEnd != std::string::npos && firstLineEnd > 0 && text[firstLineEnd - 1] == '\r';
    // Carriage returns before a line end belong to it, however many there are.
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '\r') {
            const auto returnsEnd = text.find_first_not_of('\r', index);
            if (returnsEnd != std::string::npos && text[returnsEnd] == '\n')
                index = returnsEnd;
        }
        lines.push_back(text[index]);
    }
    return lines;
}

} // namespace

DbcReader::DbcReader(std::string_view text)
    : m_text(text)
    , m_cursor(text)
{
}

DbcReader::Result DbcReader::read(std::string_view bytes)
{
    TextEncoding encoding = TextEncoding::Utf8;
    bool crlfLineEnds = false;
    const std::string text = normalised(bytes, encoding, crlfLineEnds);
    DbcReader reader(text);
    try {
        reader.readStatements();
        reader.m_references.applyTo(reader.m_database);
    } catch (const DbcError& error) {
        return { std::nullopt, error };
    }
    reader.m_database.encoding = encoding;
    reader.m_database.crlfLineEnds = crlfLineEnds;
    return { std::move(reader.m_database), {} };
}

void DbcReader::readStatements()
{
    while (m_cursor.nextStatement()) {
        Statement statement;
        statement.start = m_cursor.offset();
        statement.position = m_cursor.position();
        statement.keyword = m_cursor.word();
        if (!isIdentifier(statement.keyword))
            DbcCursor::expectedAt(statement.position, "a keyword such as BO_ or CM_ to start a statement");
        if (statement.keyword != "SG_")
            finishMessage();
        readStatement(statement);
    }
    finishMessage();
}

void DbcReader::readStatement(const Statement& statement)
{
    struct Keyword {
        std::string_view word;
        void (DbcReader::*handler)(const Statement&);
    };
    // The opening sections and the message lines end with their line; the rest with ';'.
    static constexpr std::array<Keyword, 6> kLineStatements { {
        { "VERSION", &DbcReader::readVersion },
        { "NS_", &DbcReader::readNewSymbols },
        { "BS_", &DbcReader::readBitTiming },
        { "BU_", &DbcReader::readNodes },
        { "BO_", &DbcReader::readMessage },
        { "SG_", &DbcReader::readSignal },
    } };
    static constexpr std::array<Keyword, 9> kStatements { {
        { "CM_", &DbcReader::readComment },
        { "VAL_TABLE_", &DbcReader::readValueTable },
        { "VAL_", &DbcReader::readValueDescriptions },
        { "BA_DEF_", &DbcReader::readAttributeDefinition },
        { "BA_DEF_DEF_", &DbcReader::readAttributeDefault },
        { "BA_", &DbcReader::readAttributeValue },
        { "SIG_VALTYPE_", &DbcReader::readValueType },
        { "BO_TX_BU_", &DbcReader::readTransmitters },
        { "SG_MUL_VAL_", &DbcReader::readMultiplexRanges },
    } };
    const auto matches = [&statement](const Keyword& keyword) { return keyword.word == statement.keyword; };
    if (const auto found = std::find_if(kLineStatements.begin(), kLineStatements.end(), matches);
        found != kLineStatements.end()) {
        m_cursor.setLineBound(true);
        (this->*found->handler)(statement);
        return;
    }
    m_cursor.setLineBound(false);
    const auto found = std::find_if(kStatements.begin(), kStatements.end(), matches);
    (this->*(found != kStatements.end() ? found->handler : &DbcReader::readUnknown))(statement);
}

void DbcReader::finishMessage()
{
    if (m_message)
        m_database.addMessage(std::move(*m_message));
    m_message.reset();
    if (m_keptBlockStart)
        m_references.add(DbcReferences::Kept {}, m_text.substr(*m_keptBlockStart, m_blockEnd - *m_keptBlockStart), {});
    m_keptBlockStart.reset();
}

void DbcReader::keep(const Statement& statement)
{
    hold(DbcReferences::Kept {}, statement);
}

void DbcReader::hold(DbcReferences::Statement held, const Statement& statement)
{
    m_references.add(std::move(held), m_cursor.textFrom(statement.start), statement.position);
}

void DbcReader::expectSemicolon(std::string_view after)
{
    m_cursor.expect(';', "';' after " + std::string(after));
}

void DbcReader::expectLineEnd(std::string_view after)
{
    if (!m_cursor.atLineEnd())
        m_cursor.expected("the end of the line after " + std::string(after));
}

void DbcReader::readVersion(const Statement&)
{
    m_database.version = m_cursor.quoted("a quoted version after VERSION");
    m_database.headerSections.version = true;
    expectLineEnd("the version");
}

void DbcReader::readNewSymbols(const Statement&)
{
    m_database.headerSections.newSymbols = true;
    m_cursor.take(':');
    // The list goes on over the indented lines that follow.
    for (;;) {
        while (!m_cursor.atLineEnd())
            m_database.newSymbols.emplace_back(m_cursor.expectWord("a symbol name"));
        if (m_cursor.takeCharacter() == '\0' || !m_cursor.lineIsIndented())
            return;
    }
}

void DbcReader::readBitTiming(const Statement&)
{
    m_cursor.expect(':', "':' after BS_");
    m_database.bitTiming = m_cursor.restOfLine();
    m_database.headerSections.bitTiming = true;
}

void DbcReader::readNodes(const Statement&)
{
    m_cursor.expect(':', "':' after BU_");
    while (!m_cursor.atLineEnd()) {
        const std::string_view name = m_cursor.expectWord("a node name");
        if (name != kNoNode)
            m_database.nodes.push_back({ std::string(name), {} });
    }
    m_database.headerSections.nodes = true;
}

void DbcReader::readMessage(const Statement& statement)
{
    const auto at = m_cursor.nextPosition();
    const auto raw = m_cursor.unsignedNumber("a message identifier after BO_");
    if (raw > 0xFFFFFFFF)
        DbcCursor::expectedAt(at, "a message identifier of at most 4294967295");
    if (raw == kIndependentSignalsId) {
        m_cursor.restOfLine();
        m_keptBlockStart = statement.start;
        m_blockEnd = m_cursor.offset();
        return;
    }
    MessageDefinition message;
    message.id = static_cast<std::uint32_t>(raw) & ~kExtendedFlag;
    message.extended = (raw & kExtendedFlag) != 0;
    if (m_database.message(message.id, message.extended))
        DbcCursor::refuseAt(at, "another message has identifier " + std::to_string(raw));
    message.name = m_cursor.expectWord("a message name");
    m_cursor.expect(':', "':' after the message name");
    const auto sizeAt = m_cursor.nextPosition();
    const auto size = m_cursor.unsignedNumber("the message size in bytes");
    if (size > kMaxMessageBytes)
        DbcCursor::expectedAt(sizeAt, "a message size of 0 to 64 bytes");
    message.length = static_cast<std::uint8_t>(size);
    const std::string_view sender = m_cursor.word();
    message.sender = sender == kNoNode ? std::string_view() : sender;
    expectLineEnd("the message's sender");
    m_message = std::move(message);
}

void DbcReader::readSignal(const Statement& statement)
{
    if (m_keptBlockStart) {
        m_cursor.restOfLine();
        m_blockEnd = m_cursor.offset();
        return;
    }
    if (!m_message)
        DbcCursor::expectedAt(statement.position, "a BO_ line before the signal");
    SignalDefinition signal;
    signal.name = m_cursor.expectWord("a signal name after SG_");
    readMultiplexIndicator(signal);
    m_cursor.expect(':', "':' after the signal name");
    const auto startAt = m_cursor.nextPosition();
    readSignalLayout(signal);
    readSignalScaling(signal);
    while (!m_cursor.atLineEnd()) {
        const std::string_view receiver = m_cursor.expectWord("a receiving node");
        if (receiver != kNoNode)
            signal.receivers.emplace_back(receiver);
        m_cursor.take(',');
    }
    if (!SignalDraft::fitsIn(signal, m_message->length))
        DbcCursor::refuseAt(startAt,
                            "signal " + signal.name + " lies beyond the message's " + std::to_string(m_message->length)
                                + " bytes");
    m_message->signalDefinitions.push_back(std::move(signal));
}

void DbcReader::readMultiplexIndicator(SignalDefinition& signal)
{
    if (m_cursor.peek() == ':')
        return;
    const auto at = m_cursor.nextPosition();
    const std::string_view indicator = m_cursor.word();
    if (indicator == "M") {
        signal.multiplexRole = MultiplexRole::Multiplexor;
        return;
    }
    const std::string_view value = indicator.empty() ? indicator : indicator.substr(1);
    if (indicator.starts_with('m') && indicator.ends_with('M') && isNumber(value.substr(0, value.size() - 1)))
        DbcCursor::refuseAt(at,
                            "a signal that is both multiplexed and a multiplexor (" + std::string(indicator)
                                + ") is not supported");
    if (!indicator.starts_with('m') || !isNumber(value))
        DbcCursor::expectedAt(at, "':' after the signal name, or a multiplex indicator 'M' or 'm' and a number");
    if (!DbcCursor::parseUnsigned(value, signal.multiplexValue))
        DbcCursor::expectedAt(at, "a multiplex value of at most 18446744073709551615");
    signal.multiplexRole = MultiplexRole::Multiplexed;
}

void DbcReader::readSignalLayout(SignalDefinition& signal)
{
    const auto startAt = m_cursor.nextPosition();
    const auto startBit = m_cursor.unsignedNumber("the signal's start bit");
    if (startBit > kMaxStartBit)
        DbcCursor::expectedAt(startAt, "a start bit of at most 511, the last bit of 64 bytes");
    signal.startBit = static_cast<std::uint16_t>(startBit);
    m_cursor.expect('|', "'|' after the start bit");
    const auto lengthAt = m_cursor.nextPosition();
    const auto length = m_cursor.unsignedNumber("the signal size in bits");
    if (length < 1 || length > kMaxSignalBits)
        DbcCursor::expectedAt(lengthAt, "a signal size of 1 to 64 bits");
    signal.length = static_cast<std::uint8_t>(length);

    const auto orderAt = m_cursor.nextPosition();
    const char at = m_cursor.takeCharacter();
    const char order = m_cursor.takeCharacter();
    if (at != '@' || (order != '0' && order != '1'))
        DbcCursor::expectedAt(orderAt, "'@0' or '@1' after the signal size");
    signal.byteOrder = order == '1' ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    const auto signAt = m_cursor.position();
    const char sign = m_cursor.takeCharacter();
    if (sign != '+' && sign != '-')
        DbcCursor::expectedAt(signAt, "'+' or '-' after the byte order");
    signal.valueType = sign == '-' ? SignalValueType::Signed : SignalValueType::Unsigned;
}

void DbcReader::readSignalScaling(SignalDefinition& signal)
{
    m_cursor.expect('(', "'(' before the factor");
    signal.factor = m_cursor.number("a factor");
    m_cursor.expect(',', "',' after the factor");
    signal.offset = m_cursor.number("an offset");
    m_cursor.expect(')', "')' after the offset");
    m_cursor.expect('[', "'[' before the minimum");
    signal.minimum = m_cursor.number("a minimum");
    m_cursor.expect('|', "'|' after the minimum");
    signal.maximum = m_cursor.number("a maximum");
    m_cursor.expect(']', "']' after the maximum");
    signal.unit = m_cursor.quoted("a quoted unit after the range");
}

void DbcReader::readComment(const Statement& statement)
{
    if (m_cursor.peek() == '"') {
        m_database.comments.push_back(m_cursor.quoted("a quoted comment"));
        expectSemicolon("the comment");
        return;
    }
    const std::string_view object = m_cursor.word();
    DbcReferences::Statement held;
    if (object == "BU_") {
        std::string node(m_cursor.expectWord("a node name"));
        held = DbcReferences::NodeComment { std::move(node), m_cursor.quoted("a quoted comment") };
    } else if (object == "BO_") {
        const auto message = readMessageKey("a message identifier");
        held = DbcReferences::MessageComment { message, m_cursor.quoted("a quoted comment") };
    } else if (object == "SG_") {
        const auto message = readMessageKey("a message identifier");
        std::string signal(m_cursor.word());
        // Some generated files comment a message this way, without a signal: that is kept as written.
        if (signal.empty())
            return readUnknown(statement);
        held = DbcReferences::SignalComment { message, std::move(signal), m_cursor.quoted("a quoted comment") };
    } else {
        return readUnknown(statement);
    }
    expectSemicolon("the comment");
    hold(std::move(held), statement);
}

std::vector<ValueDescription> DbcReader::readValueList()
{
    std::vector<ValueDescription> values;
    while (!m_cursor.take(';')) {
        const std::int64_t raw = m_cursor.integer("a raw value or ';'");
        values.push_back({ raw, m_cursor.quoted("a quoted description of the value") });
    }
    return values;
}

void DbcReader::readValueTable(const Statement&)
{
    ValueTable table;
    table.name = m_cursor.expectWord("a value table name");
    table.values = readValueList();
    m_database.valueTables.push_back(std::move(table));
}

void DbcReader::readValueDescriptions(const Statement& statement)
{
    // The descriptions of an environment variable's values are kept as written.
    const auto at = m_cursor.nextPosition();
    const std::string_view first = m_cursor.expectWord("a message identifier");
    if (!isNumber(first))
        return readUnknown(statement);
    std::uint64_t raw = 0;
    if (!DbcCursor::parseUnsigned(first, raw) || raw > 0xFFFFFFFF)
        DbcCursor::expectedAt(at, "a message identifier of at most 4294967295");
    DbcReferences::SignalValues values;
    values.message = { static_cast<std::uint32_t>(raw) & ~kExtendedFlag, (raw & kExtendedFlag) != 0 };
    values.signal = m_cursor.expectWord("a signal name");
    values.values = readValueList();
    hold(std::move(values), statement);
}

DbcReferences::MessageKey DbcReader::readMessageKey(std::string_view what)
{
    const auto at = m_cursor.nextPosition();
    const auto raw = m_cursor.unsignedNumber(what);
    if (raw > 0xFFFFFFFF)
        DbcCursor::expectedAt(at, "a message identifier of at most 4294967295");
    return { static_cast<std::uint32_t>(raw) & ~kExtendedFlag, (raw & kExtendedFlag) != 0 };
}

AttributeText DbcReader::readAttributeText(std::string_view what)
{
    if (m_cursor.peek() == '"')
        return { m_cursor.quoted(what), true };
    return { std::string(m_cursor.expectWord(what)), false };
}

void DbcReader::readAttributeDefinition(const Statement&)
{
    AttributeDefinition definition;
    if (m_cursor.peek() != '"') {
        const auto at = m_cursor.nextPosition();
        const auto object = attributeObjectOf(m_cursor.word());
        if (!object)
            DbcCursor::expectedAt(at, "BU_, BO_, SG_, EV_ or a quoted attribute name");
        definition.object = *object;
    }
    definition.name = m_cursor.quoted("a quoted attribute name");
    definition.valueType = m_cursor.expectWord("the attribute's value type");
    while (!m_cursor.take(';')) {
        // ENUM's names are set apart by commas.
        if (!m_cursor.take(','))
            definition.parameters.push_back(readAttributeText("';' after the attribute definition"));
    }
    m_database.attributeDefinitions.push_back(std::move(definition));
}

void DbcReader::readAttributeDefault(const Statement&)
{
    AttributeDefault attributeDefault;
    attributeDefault.name = m_cursor.quoted("a quoted attribute name");
    attributeDefault.value = readAttributeText("the attribute's default value");
    expectSemicolon("the attribute's default value");
    m_database.attributeDefaults.push_back(std::move(attributeDefault));
}

void DbcReader::readAttributeValue(const Statement& statement)
{
    AttributeValue value;
    value.name = m_cursor.quoted("a quoted attribute name");
    if (m_cursor.peek() == '"') {
        value.value = readAttributeText("the attribute's value");
    } else {
        // A number of the network itself, or what the value is about and then the value.
        const std::string_view word = m_cursor.expectWord("the attribute's value");
        const auto object = attributeObjectOf(word);
        if (object)
            readAttributeTarget(*object, value);
        value.value = object ? readAttributeText("the attribute's value") : AttributeText { std::string(word), false };
    }
    expectSemicolon("the attribute's value");
    hold(std::move(value), statement);
}

void DbcReader::readAttributeTarget(AttributeObject object, AttributeValue& value)
{
    value.object = object;
    if (object == AttributeObject::Message || object == AttributeObject::Signal) {
        const auto message = readMessageKey("a message identifier");
        value.messageId = message.id;
        value.extended = message.extended;
    }
    if (object != AttributeObject::Message)
        value.objectName = m_cursor.expectWord("the name of what the attribute is about");
}

void DbcReader::readValueType(const Statement& statement)
{
    DbcReferences::ValueType valueType;
    valueType.message = readMessageKey("a message identifier");
    valueType.signal = m_cursor.expectWord("a signal name");
    m_cursor.take(':');
    const auto at = m_cursor.nextPosition();
    const auto type = m_cursor.unsignedNumber("0, 1 (float) or 2 (double) as the signal's value type");
    if (type > 2)
        DbcCursor::expectedAt(at, "0, 1 (float) or 2 (double) as the signal's value type");
    expectSemicolon("the signal's value type");
    // 0 is an integer, which the SG_ line said already.
    if (type == 0)
        return;
    valueType.type = type == 1 ? SignalValueType::Float : SignalValueType::Double;
    hold(std::move(valueType), statement);
}

void DbcReader::readTransmitters(const Statement& statement)
{
    DbcReferences::Transmitters transmitters;
    transmitters.message = readMessageKey("a message identifier");
    m_cursor.expect(':', "':' after the message identifier");
    while (!m_cursor.take(';')) {
        if (!m_cursor.take(','))
            transmitters.nodes.emplace_back(m_cursor.expectWord("a node name or ';'"));
    }
    hold(std::move(transmitters), statement);
}

void DbcReader::readMultiplexRanges(const Statement& statement)
{
    MultiplexValueRanges ranges;
    const auto message = readMessageKey("a message identifier");
    ranges.messageId = message.id;
    ranges.extended = message.extended;
    ranges.signal = m_cursor.expectWord("a signal name");
    ranges.multiplexor = m_cursor.expectWord("the multiplexor's name");
    constexpr std::string_view kRange = "a range of values such as 1-3, or ';'";
    while (!m_cursor.take(';')) {
        if (m_cursor.take(','))
            continue;
        const auto at = m_cursor.nextPosition();
        const std::string_view text = m_cursor.word();
        const auto dash = text.find('-');
        MultiplexValueRanges::Range range;
        if (dash == std::string_view::npos || !DbcCursor::parseUnsigned(text.substr(0, dash), range.first)
            || !DbcCursor::parseUnsigned(text.substr(dash + 1), range.last))
            DbcCursor::expectedAt(at, kRange);
        ranges.ranges.push_back(range);
    }
    hold(std::move(ranges), statement);
}

void DbcReader::readUnknown(const Statement& statement)
{
    if (!m_cursor.skipPastSemicolon())
        DbcCursor::expectedAt(statement.position, "';' to end the " + std::string(statement.keyword) + " statement");
    keep(statement);
}

} // namespace vexmoor
