#include "capture/formats/CandumpRecorder.h"

#include "capture/formats/CandumpLog.h"
#include "capture/record/BoardRecord.h"
#include "capture/record/FrameFacts.h"

namespace vexmoor {

CandumpRecorder::CandumpRecorder(Clock arrivalClock)
    : m_arrivalClock(std::move(arrivalClock))
{
}

void CandumpRecorder::recordArrived(std::string_view recordText, const FrameFacts* facts)
{
    // An empty slot of the interior emulator is handed over as it stands; it is no record at all.
    if (recordText.empty() && facts == nullptr)
        return;
    // A source that knows the frame hands it over whole; the board's text is read back into one.
    if (facts != nullptr) {
        CandumpLog::appendLine(facts->frame, facts->interfaceName, m_lines);
        ++m_framesLogged;
        return;
    }
    auto frame = BoardRecord::toFrame(recordText);
    if (!frame) {
        ++m_recordsNotLogged;
        return;
    }
    frame->timestampUs = m_arrivalClock();
    CandumpLog::appendLine(*frame, m_boardInterface != nullptr ? std::string_view(*m_boardInterface) : kBoardInterface,
                           m_lines);
    ++m_framesLogged;
}

void CandumpRecorder::takeLines(std::string& lines)
{
    lines.clear();
    lines.swap(m_lines);
}

} // namespace vexmoor
