#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexmoor {

// The start of a line that the end of a chunk cut, held until the rest of it comes. It never grows past
// its bound: a longer line is malformed however it arrives, and the rest of it is passed over unread.
class LineCarry final {
public:
    explicit LineCarry(std::size_t maxLength)
        : m_maxLength(maxLength)
    {
    }

    // Holds part of the cut line. True once, the moment the line passes the bound: the caller counts
    // it malformed then.
    bool add(std::string_view part);
    // A line is under way: held, or passed over because it grew too long.
    bool active() const { return !m_text.empty() || m_tooLong; }
    // The line held, whole; empty when it grew too long.
    std::string_view line() const { return m_text; }
    bool tooLong() const { return m_tooLong; }
    // The line was handed on or given up: the next chunk starts a new one.
    void clear();
    std::size_t size() const { return m_text.size(); }

private:
    std::size_t m_maxLength;
    std::string m_text;
    bool m_tooLong = false;
};

} // namespace vexmoor
