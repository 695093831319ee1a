#include "capture/record/CaptureSession.h"

#include "capture/record/BoardRecord.h"
#include "capture/record/FrameFacts.h"

namespace vexmoor {

CaptureSession::CaptureSession(TimeOfDaySource& clock)
    : m_ingestion(m_state, m_table, m_messageIgnoreList, m_idIgnoreList, m_minimumId, clock)
    , m_assembly(m_state, m_ingestion)
{
    m_ingestion.setChangeTracker(&m_changes);
    m_ingestion.setSignalRecorder(&m_plotted);
    m_ingestion.setFrameHistory(&m_history);
    m_plotted.setHistory(&m_history);
}

void CaptureSession::clear()
{
    m_table.clear();
    m_changes.clear();
    m_ranking.clear();
    m_plotted.clear();
    m_history.clear();
}

void CaptureSession::setRowsPerBus(bool on)
{
    if (on == rowsPerBus())
        return;
    clear();
    m_ingestion.setRowsPerBus(on);
}

void CaptureSession::ingest(std::string_view recordText)
{
    m_state.CurrentMessage.assign(recordText);
    m_ingestion.ParseData();
}

void CaptureSession::ingestFrame(const CanFrame& frame, std::string_view interfaceName)
{
    m_state.CurrentMessage.clear();
    BoardRecord::appendRecordText(frame, m_state.CurrentMessage);
    m_ingestion.ParseFrame(FrameFacts { frame, interfaceName });
}

} // namespace vexmoor
