#include "capture/record/SerialInputAssembly.h"

#include "capture/record/BusyFlag.h"
#include "capture/record/CaptureState.h"
#include "capture/record/RecordSink.h"

#include <string_view>

namespace vexmoor {

SerialInputAssembly::SerialInputAssembly(CaptureState& state, RecordSink& ingestion)
    : m_state(state)
    , m_ingestion(ingestion)
{
}

bool SerialInputAssembly::poll(std::string text)
{
    if (m_scanning)
        return false;
    m_state.SerialInput = std::move(text);
    if (!m_state.SerialInput.empty())
        ReadMessages();
    return true;
}

void SerialInputAssembly::ReadMessages()
{
    if (m_scanning)
        return;
    const BusyFlag scanning(m_scanning);
    // The yields may run handlers that set SerialInput again; the scan keeps to its own poll's text.
    const std::string text = m_state.SerialInput;
    const std::size_t length = text.size();

    bool inRecord = m_carrying;
    std::size_t recordStart = 0; // index of the first character after the "<"
    for (std::size_t pos = 0; pos < length; ++pos) {
        if (m_yield)
            m_yield();
        const char c = text[pos];
        if (c == '<') {
            inRecord = true;
            m_carrying = false;
            recordStart = pos + 1;
        } else if (inRecord && c == '>') {
            inRecord = false;
            const std::string_view inner(text.data() + recordStart, pos - recordStart);
            if (!m_carrying) {
                ingest({}, inner);
            } else {
                m_carrying = false;
                if (m_carried.size() + inner.size() <= kMaxCarriedRecordLength)
                    ingest(m_carried, inner);
            }
        }
    }

    if (inRecord) {
        const std::string_view rest(text.data() + recordStart, length - recordStart);
        if (!m_carrying)
            m_carried.clear();
        m_carried.append(rest);
        m_carrying = m_carried.size() <= kMaxCarriedRecordLength;
        if (!m_carrying)
            m_carried.clear();
    }
}

void SerialInputAssembly::discardCarriedRecord()
{
    m_carrying = false;
    m_carried.clear();
}

void SerialInputAssembly::ingest(std::string_view carried, std::string_view inner)
{
    std::string& message = m_state.CurrentMessage;
    message.clear();
    message.push_back('<');
    message.append(carried);
    message.append(inner);
    message.push_back('>');
    m_ingestion.ParseData();
}

} // namespace vexmoor
