#include "capture/record/IgnoreList.h"

namespace vexmoor {

const std::string& IgnoreList::entry(int index) const
{
    return m_entries.at(static_cast<std::size_t>(index));
}

void IgnoreList::append(std::string_view text)
{
    m_entries.emplace_back(text);
    m_lookup.insert(m_entries.back());
}

void IgnoreList::clear()
{
    m_entries.clear();
    m_lookup.clear();
}

bool IgnoreList::contains(std::string_view text) const
{
    return !m_lookup.empty() && m_lookup.find(text) != m_lookup.end();
}

} // namespace vexmoor
