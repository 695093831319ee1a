#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmoor {

// A JSON value as a file held it, with the line it began on, so that a file read can be refused with
// the line of the value that is wrong. Objects keep their keys in file order, so that keys this
// program does not know are written back where they were. Numbers keep their text: a 64-bit time in
// microseconds would not survive a double.
class JsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    using Member = std::pair<std::string, JsonValue>;

    // A file that is no JSON: what is wrong and on which line.
    struct SyntaxError : std::runtime_error {
        SyntaxError(int errorLine, const std::string& what)
            : std::runtime_error(what)
            , line(errorLine)
        {
        }
        int line;
    };

    JsonValue() = default;
    static JsonValue boolean(bool value);
    static JsonValue number(std::int64_t value);
    static JsonValue string(std::string text);
    static JsonValue array(std::vector<JsonValue> items = {});
    static JsonValue object(std::vector<Member> members = {});

    // The whole text as one value, or SyntaxError. Nesting deeper than 64 is refused.
    static JsonValue parse(std::string_view text);
    // Indented by two spaces a level, one member or item a line, ending with a line end.
    std::string write() const;

    Kind kind() const { return m_kind; }
    int line() const { return m_line; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    bool isNumber() const { return m_kind == Kind::Number; }
    bool isString() const { return m_kind == Kind::String; }
    bool isArray() const { return m_kind == Kind::Array; }
    bool isObject() const { return m_kind == Kind::Object; }

    bool booleanValue() const { return m_boolean; }
    // The number as a whole number that fits 64 bits, or nothing (a fraction, an exponent, too large).
    std::optional<std::int64_t> integerValue() const;
    const std::string& text() const { return m_text; } // a string's, or a number's as written
    const std::vector<JsonValue>& items() const { return m_items; }
    const std::vector<Member>& members() const { return m_members; }
    // The member of that key, or nullptr.
    const JsonValue* find(std::string_view key) const;
    void add(std::string key, JsonValue value);
    void append(JsonValue item);

private:
    class Reader;
    void writeTo(std::string& out, int depth) const;

    Kind m_kind = Kind::Null;
    int m_line = 0;
    bool m_boolean = false;
    std::string m_text;
    std::vector<JsonValue> m_items;
    std::vector<Member> m_members;
};

} // namespace vexmoor
