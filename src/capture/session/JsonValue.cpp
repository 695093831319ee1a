#include "capture/session/JsonValue.h"

#include <charconv>

namespace vexmoor {

namespace {

constexpr int kMaxDepth = 64;

void appendUtf8(std::uint32_t code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void writeString(std::string_view text, std::string& out)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

// Reads one value at a time from the text, counting lines as it goes.
class JsonValue::Reader {
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    {
    }

    JsonValue document()
    {
        JsonValue value = readValue(0);
        skipSpace();
        if (m_at != m_text.size())
            fail("more text after the end of the value");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const { throw SyntaxError(m_line, what); }

    void skipSpace()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
            ++m_at;
        }
    }

    bool take(char expected)
    {
        skipSpace();
        if (m_at < m_text.size() && m_text[m_at] == expected) {
            ++m_at;
            return true;
        }
        return false;
    }

    void expect(char expected, const char* what)
    {
        if (!take(expected))
            fail(std::string("expected ") + what);
    }

    bool takeWord(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    JsonValue readValue(int depth)
    {
        if (depth > kMaxDepth)
            fail("values nested deeper than 64");
        skipSpace();
        if (m_at == m_text.size())
            fail("expected a value, found the end of the file");
        JsonValue value;
        value.m_line = m_line;
        const char c = m_text[m_at];
        if (c == '{') {
            readObject(value, depth);
        } else if (c == '[') {
            readArray(value, depth);
        } else if (c == '"') {
            value.m_kind = Kind::String;
            value.m_text = readString();
        } else if (takeWord("true") || takeWord("false")) {
            value.m_kind = Kind::Boolean;
            value.m_boolean = c == 't';
        } else if (takeWord("null")) {
            value.m_kind = Kind::Null;
        } else {
            value.m_kind = Kind::Number;
            value.m_text = readNumber();
        }
        return value;
    }

    void readObject(JsonValue& value, int depth)
    {
        value.m_kind = Kind::Object;
        ++m_at;
        if (take('}'))
            return;
        do {
            skipSpace();
            if (m_at == m_text.size() || m_text[m_at] != '"')
                fail("expected a key in quotes");
            std::string key = readString();
            expect(':', "':' after a key");
            value.m_members.emplace_back(std::move(key), readValue(depth + 1));
        } while (take(','));
        expect('}', "',' or '}' after a member");
    }

    void readArray(JsonValue& value, int depth)
    {
        value.m_kind = Kind::Array;
        ++m_at;
        if (take(']'))
            return;
        do
            value.m_items.push_back(readValue(depth + 1));
        while (take(','));
        expect(']', "',' or ']' after an item");
    }

    std::string readNumber()
    {
        const std::size_t begin = m_at;
        const auto digits = [this] {
            const std::size_t from = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            return m_at > from;
        };
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        if (!digits())
            fail("expected a value");
        if (m_at < m_text.size() && m_text[m_at] == '.' && (++m_at, !digits()))
            fail("expected digits after the decimal point");
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
                ++m_at;
            if (!digits())
                fail("expected digits in the exponent");
        }
        return std::string(m_text.substr(begin, m_at - begin));
    }

    std::uint32_t readHex4()
    {
        if (m_at + 4 > m_text.size())
            fail("expected four hexadecimal digits after \\u");
        std::uint32_t code = 0;
        const auto [end, error] = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, code, 16);
        if (error != std::errc() || end != m_text.data() + m_at + 4)
            fail("expected four hexadecimal digits after \\u");
        m_at += 4;
        return code;
    }

    std::uint32_t readEscapedCode()
    {
        std::uint32_t code = readHex4();
        if (code >= 0xDC00 && code <= 0xDFFF)
            fail("a lone low surrogate in \\u escapes");
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (!takeWord("\\u"))
                fail("a high surrogate without its low half");
            const std::uint32_t low = readHex4();
            if (low < 0xDC00 || low > 0xDFFF)
                fail("a high surrogate without its low half");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        return code;
    }

    std::string readString()
    {
        ++m_at;
        std::string text;
        while (true) {
            if (m_at >= m_text.size())
                fail("a string that does not end");
            const char c = m_text[m_at++];
            if (c == '"')
                return text;
            if (static_cast<unsigned char>(c) < 0x20)
                fail("a control character inside a string");
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_at >= m_text.size())
                fail("a string that does not end");
            const char escaped = m_text[m_at++];
            switch (escaped) {
            case '"':
            case '\\':
            case '/':
                text += escaped;
                break;
            case 'b':
                text += '\b';
                break;
            case 'f':
                text += '\f';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'u':
                appendUtf8(readEscapedCode(), text);
                break;
            default:
                fail(std::string("an unknown escape \\") + escaped);
            }
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    int m_line = 1;
};

JsonValue JsonValue::boolean(bool value)
{
    JsonValue json;
    json.m_kind = Kind::Boolean;
    json.m_boolean = value;
    return json;
}

JsonValue JsonValue::number(std::int64_t value)
{
    JsonValue json;
    json.m_kind = Kind::Number;
    json.m_text = std::to_string(value);
    return json;
}

JsonValue JsonValue::string(std::string text)
{
    JsonValue json;
    json.m_kind = Kind::String;
    json.m_text = std::move(text);
    return json;
}

JsonValue JsonValue::array(std::vector<JsonValue> items)
{
    JsonValue json;
    json.m_kind = Kind::Array;
    json.m_items = std::move(items);
    return json;
}

JsonValue JsonValue::object(std::vector<Member> members)
{
    JsonValue json;
    json.m_kind = Kind::Object;
    json.m_members = std::move(members);
    return json;
}

JsonValue JsonValue::parse(std::string_view text)
{
    return Reader(text).document();
}

std::optional<std::int64_t> JsonValue::integerValue() const
{
    if (m_kind != Kind::Number)
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), value);
    if (error != std::errc() || end != m_text.data() + m_text.size())
        return std::nullopt;
    return value;
}

const JsonValue* JsonValue::find(std::string_view key) const
{
    for (const Member& member : m_members) {
        if (member.first == key)
            return &member.second;
    }
    return nullptr;
}

void JsonValue::add(std::string key, JsonValue value)
{
    m_members.emplace_back(std::move(key), std::move(value));
}

void JsonValue::append(JsonValue item)
{
    m_items.push_back(std::move(item));
}

std::string JsonValue::write() const
{
    std::string out;
    writeTo(out, 0);
    out += '\n';
    return out;
}

void JsonValue::writeTo(std::string& out, int depth) const
{
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    const std::string closingIndent(static_cast<std::size_t>(depth) * 2, ' ');
    switch (m_kind) {
    case Kind::Null:
        out += "null";
        return;
    case Kind::Boolean:
        out += m_boolean ? "true" : "false";
        return;
    case Kind::Number:
        out += m_text;
        return;
    case Kind::String:
        writeString(m_text, out);
        return;
    case Kind::Array:
        if (m_items.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        for (std::size_t index = 0; index < m_items.size(); ++index) {
            out += indent;
            m_items[index].writeTo(out, depth + 1);
            out += index + 1 < m_items.size() ? ",\n" : "\n";
        }
        out += closingIndent + "]";
        return;
    case Kind::Object:
        if (m_members.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        for (std::size_t index = 0; index < m_members.size(); ++index) {
            out += indent;
            writeString(m_members[index].first, out);
            out += ": ";
            m_members[index].second.writeTo(out, depth + 1);
            out += index + 1 < m_members.size() ? ",\n" : "\n";
        }
        out += closingIndent + "}";
        return;
    }
}

} // namespace vexmoor
