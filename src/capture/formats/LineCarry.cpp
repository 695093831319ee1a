#include "capture/formats/LineCarry.h"

namespace vexmoor {

bool LineCarry::add(std::string_view part)
{
    if (m_tooLong)
        return false;
    if (m_text.size() + part.size() > m_maxLength) {
        m_tooLong = true;
        m_text.clear();
        return true;
    }
    m_text.append(part);
    return false;
}

void LineCarry::clear()
{
    m_text.clear();
    m_tooLong = false;
}

} // namespace vexmoor
