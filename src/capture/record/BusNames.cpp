#include "capture/record/BusNames.h"

#include <algorithm>

namespace vexmoor {

std::uint8_t BusNames::numberOf(std::string_view name)
{
    if (m_last < m_names.size() && m_names[m_last] == name)
        return static_cast<std::uint8_t>(m_last + 1);
    std::uint8_t number = find(name);
    if (number == 0) {
        if (m_names.size() >= kMaxBuses)
            return 0;
        m_names.emplace_back(name);
        number = static_cast<std::uint8_t>(m_names.size());
    }
    m_last = number - 1U;
    return number;
}

const std::string& BusNames::nameOf(std::uint8_t number) const
{
    static const std::string none;
    return number >= 1 && number <= m_names.size() ? m_names[number - 1] : none;
}

void BusNames::rename(std::string_view from, std::string_view to)
{
    const std::uint8_t number = find(from);
    if (number != 0 && find(to) == 0)
        m_names[number - 1U].assign(to);
}

std::uint8_t BusNames::find(std::string_view name) const
{
    const auto found = std::find(m_names.begin(), m_names.end(), name);
    return found == m_names.end() ? 0 : static_cast<std::uint8_t>(std::distance(m_names.begin(), found) + 1);
}

} // namespace vexmoor
