#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace vexmoor::board {

// Cuts a board stream, in whatever pieces it comes, into record texts the way the program reads
// them: only "<" and ">" delimit a record, a "<" starts a record over, and everything outside a
// pair (the start-up line, line ends, noise) is passed over.
class RecordCutter {
public:
    // A record whose text after the "<" grows past this without its ">" is dropped, so that a file of noise cannot
    // grow memory without bound; the program drops such a record too.
    static constexpr std::size_t kMaxRecordLength = 4096;

    // Appends every record `bytes` completes, "<" and ">" included, to `records`.
    void cut(std::string_view bytes, std::deque<std::string>& records);

    // Records dropped for their length.
    std::uint64_t tooLong() const { return m_tooLong; }

private:
    void take(char c, std::deque<std::string>& records);

    std::string m_record; // the record begun and not yet ended
    bool m_inRecord = false;
    bool m_recordTooLong = false;
    std::uint64_t m_tooLong = 0;
};

} // namespace vexmoor::board
