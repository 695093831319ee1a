#include "capture/formats/DbcCursor.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace vexmoor {

namespace {

bool isBlank(char c)
{
    // A lone carriage return is no line end: line ends are "\n" by now.
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isWordCharacter(char c)
{
    constexpr std::string_view kStops = ":;,|@()[]\"\n";
    return !isBlank(c) && kStops.find(c) == std::string_view::npos;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

template <typename Number> bool parseWhole(std::string_view text, Number& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

} // namespace

DbcCursor::DbcCursor(std::string_view text)
    : m_text(text)
{
}

void DbcCursor::advance()
{
    if (m_text[m_index] == '\n') {
        ++m_line;
        m_column = 1;
    } else if (!isContinuationByte(m_text[m_index])) {
        ++m_column;
    }
    ++m_index;
}

void DbcCursor::skipBlanks()
{
    while (m_index < m_text.size() && (isBlank(m_text[m_index]) || (!m_lineBound && m_text[m_index] == '\n')))
        advance();
}

bool DbcCursor::nextStatement()
{
    while (m_index < m_text.size() && (isBlank(m_text[m_index]) || m_text[m_index] == '\n'))
        advance();
    return m_index < m_text.size();
}

bool DbcCursor::atTokenStop() const
{
    return m_index >= m_text.size() || (m_lineBound && m_text[m_index] == '\n');
}

bool DbcCursor::atLineEnd()
{
    while (m_index < m_text.size() && isBlank(m_text[m_index]))
        advance();
    return m_index >= m_text.size() || m_text[m_index] == '\n';
}

bool DbcCursor::lineIsIndented() const
{
    return m_index >= m_text.size() || isBlank(m_text[m_index]) || m_text[m_index] == '\n';
}

char DbcCursor::peek()
{
    skipBlanks();
    return atTokenStop() ? '\0' : m_text[m_index];
}

bool DbcCursor::take(char c)
{
    if (peek() != c || c == '\0')
        return false;
    advance();
    return true;
}

void DbcCursor::expect(char c, std::string_view what)
{
    if (!take(c))
        expected(what);
}

char DbcCursor::takeCharacter()
{
    if (m_index >= m_text.size())
        return '\0';
    const char c = m_text[m_index];
    advance();
    return c;
}

std::string_view DbcCursor::restOfLine()
{
    atLineEnd();
    const std::size_t start = m_index;
    while (m_index < m_text.size() && m_text[m_index] != '\n')
        advance();
    std::string_view rest = m_text.substr(start, m_index - start);
    while (!rest.empty() && isBlank(rest.back()))
        rest.remove_suffix(1);
    return rest;
}

DbcCursor::Position DbcCursor::nextPosition()
{
    skipBlanks();
    return position();
}

std::string_view DbcCursor::word()
{
    skipBlanks();
    const std::size_t start = m_index;
    while (!atTokenStop() && isWordCharacter(m_text[m_index]))
        advance();
    return m_text.substr(start, m_index - start);
}

std::string_view DbcCursor::expectWord(std::string_view what)
{
    const std::string_view found = word();
    if (found.empty())
        expected(what);
    return found;
}

std::string DbcCursor::quoted(std::string_view what)
{
    skipBlanks();
    const Position opening = position();
    if (atTokenStop() || m_text[m_index] != '"')
        expected(what);
    advance();
    std::string text;
    while (m_index < m_text.size() && m_text[m_index] != '"') {
        // A backslash escapes a quote or another backslash; before anything else it is itself.
        const bool escape = m_text[m_index] == '\\' && m_index + 1 < m_text.size()
            && (m_text[m_index + 1] == '"' || m_text[m_index + 1] == '\\');
        if (escape)
            advance();
        text.push_back(m_text[m_index]);
        advance();
    }
    if (m_index >= m_text.size())
        expectedAt(opening, "'\"' to close the string that starts here");
    advance();
    return text;
}

void DbcCursor::skipQuoted()
{
    (void)quoted("'\"'");
}

std::uint64_t DbcCursor::unsignedNumber(std::string_view what)
{
    skipBlanks();
    const Position at = position();
    std::uint64_t value = 0;
    if (!parseWhole(word(), value))
        expectedAt(at, what);
    return value;
}

bool DbcCursor::parseUnsigned(std::string_view text, std::uint64_t& value)
{
    return parseWhole(text, value);
}

std::int64_t DbcCursor::integer(std::string_view what)
{
    skipBlanks();
    const Position at = position();
    const std::string_view text = word();
    std::int64_t value = 0;
    if (parseWhole(text, value))
        return value;
    std::uint64_t large = 0;
    if (!parseWhole(text, large))
        expectedAt(at, what);
    return static_cast<std::int64_t>(large);
}

double DbcCursor::number(std::string_view what)
{
    skipBlanks();
    const Position at = position();
    std::string_view text = word();
    if (text.size() > 1 && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    if (!parseWhole(text, value) || !std::isfinite(value))
        expectedAt(at, what);
    return value;
}

bool DbcCursor::skipPastSemicolon()
{
    while (m_index < m_text.size()) {
        const char c = m_text[m_index];
        if (c == '"') {
            skipQuoted();
            continue;
        }
        advance();
        if (c == ';')
            return true;
    }
    return false;
}

void DbcCursor::expected(std::string_view what)
{
    skipBlanks();
    expectedAt(position(), what);
}

void DbcCursor::expectedAt(Position position, std::string_view what)
{
    refuseAt(position, "expected " + std::string(what));
}

void DbcCursor::refuseAt(Position position, std::string message)
{
    throw DbcError { position.line, position.column, std::move(message) };
}

} // namespace vexmoor
