#include "RecordCutter.h"

namespace vexmoor::board {

void RecordCutter::cut(std::string_view bytes, std::deque<std::string>& records)
{
    for (const char c : bytes)
        take(c, records);
}

void RecordCutter::take(char c, std::deque<std::string>& records)
{
    if (c == '<') {
        // A record cut short by the next "<" is no record, as the program reads it.
        m_record.assign(1, c);
        m_inRecord = true;
        m_recordTooLong = false;
        return;
    }
    if (!m_inRecord)
        return;
    if (c != '>') {
        if (m_record.size() <= kMaxRecordLength) // the "<" and at most kMaxRecordLength after it
            m_record.push_back(c);
        else
            m_recordTooLong = true;
        return;
    }
    m_inRecord = false;
    if (m_recordTooLong) {
        ++m_tooLong;
        return;
    }
    m_record.push_back(c);
    records.push_back(std::move(m_record));
    m_record.clear();
}

} // namespace vexmoor::board
