#include "capture/CaptureSession.h"

namespace vexmoor {

CaptureSession::CaptureSession(TimeOfDaySource& clock)
    : m_ingestion(m_state, m_table, m_messageIgnoreList, m_idIgnoreList, m_minimumId, clock)
    , m_assembly(m_state, m_ingestion)
{
}

void CaptureSession::ingest(std::string_view recordText)
{
    m_state.CurrentMessage.assign(recordText);
    m_ingestion.ParseData();
}

void CaptureSession::ingest(std::string_view recordText, const FrameFacts& facts)
{
    m_state.CurrentMessage.assign(recordText);
    m_ingestion.ParseFrame(facts);
}

} // namespace vexmoor
