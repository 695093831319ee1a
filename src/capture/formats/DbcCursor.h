#pragma once

#include "capture/formats/DbcError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexmoor {

// Walks DBC text (UTF-8 with "\n" line ends) token by token and knows the line and column of each, so
// that whatever it cannot read it refuses with a DbcError thrown at the place it stopped.
//
// A word is a run of characters up to a blank, a line end, a quote or one of : ; , | @ ( ) [ ]; names,
// keywords and numbers are all words. Statements that end at their line (BO_, SG_, BU_ and the other
// opening sections) are read line bound: there a line end stops the search for a token instead of
// being skipped like a blank. A quoted string may run over several lines in either case.
class DbcCursor final {
public:
    struct Position {
        std::size_t line = 1;
        std::size_t column = 1;
    };

    explicit DbcCursor(std::string_view text);

    void setLineBound(bool lineBound) { m_lineBound = lineBound; }

    // Skips blanks and line ends up to where the next statement starts; false at the end of the text.
    bool nextStatement();

    // Skips blanks; true at a line end or the end of the text.
    bool atLineEnd();
    // At a line's start: whether it begins with a blank or is empty.
    bool lineIsIndented() const;

    // The next character after skipping blanks, or '\0' where the search for a token stops.
    char peek();
    // Takes c when it comes next.
    bool take(char c);
    void expect(char c, std::string_view what);
    // The very next character, blanks included, or '\0' at the end; taken.
    char takeCharacter();

    // The rest of the line without the blanks around it, taken.
    std::string_view restOfLine();
    // The position of the next token, after the blanks before it.
    Position nextPosition();

    // Empty when no word comes next.
    std::string_view word();
    std::string_view expectWord(std::string_view what);
    std::string quoted(std::string_view what);

    std::uint64_t unsignedNumber(std::string_view what);
    // A raw value: negative, or up to 2^64 - 1, which is held as the int64 of the same bits.
    std::int64_t integer(std::string_view what);
    double number(std::string_view what);

    // Decimal digits only, within the range of the type.
    static bool parseUnsigned(std::string_view text, std::uint64_t& value);

    // Moves past the next ';' outside quotes; false, at the end of the text, when there is none.
    bool skipPastSemicolon();

    std::size_t offset() const { return m_index; }
    std::string_view textFrom(std::size_t offset) const { return m_text.substr(offset, m_index - offset); }
    Position position() const { return { m_line, m_column }; }

    // "expected " and what, at the next token's place or at a given one.
    [[noreturn]] void expected(std::string_view what);
    [[noreturn]] static void expectedAt(Position position, std::string_view what);
    [[noreturn]] static void refuseAt(Position position, std::string message);

private:
    void skipBlanks();
    void advance();
    bool atTokenStop() const;
    void skipQuoted();

    std::string_view m_text;
    std::size_t m_index = 0;
    std::size_t m_line = 1;
    std::size_t m_column = 1;
    bool m_lineBound = false;
};

} // namespace vexmoor
