#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "capture/record/TextHash.h"

namespace vexmoor {

// An ordered list of texts that holds records back: whole record texts, or CAN_ID texts. Entries
// keep their order and may repeat; matching is exact and case-sensitive. The lookup is hashed,
// since every record asks it.
class IgnoreList final {
public:
    int count() const { return static_cast<int>(m_entries.size()); }
    // Entries are counted from 0.
    const std::string& entry(int index) const;
    const std::vector<std::string>& entries() const { return m_entries; }

    void append(std::string_view text);
    void clear();

    bool contains(std::string_view text) const;

private:
    std::vector<std::string> m_entries;
    std::unordered_set<std::string, TextHash, std::equal_to<>> m_lookup;
};

} // namespace vexmoor
