#include "capture/record/MessageTable.h"

#include <algorithm>
#include <stdexcept>

namespace vexmoor {

MessageTable::MessageTable() = default;
MessageTable::~MessageTable() = default;

MessageRow& MessageTable::rowAt(int position) const
{
    if (!hasRow(position))
        throw std::out_of_range("message table has no row at position " + std::to_string(position));
    return *m_rows[static_cast<std::size_t>(position - 1)];
}

const MessageRow& MessageTable::row(int position) const
{
    return rowAt(position);
}

const std::string& MessageTable::canId(int position) const
{
    return rowAt(position)[MessageColumn::CanId];
}

const std::string& MessageTable::cell(int position, MessageColumn column) const
{
    return rowAt(position)[column];
}

void MessageTable::setCell(int position, MessageColumn column, std::string_view text)
{
    if (column == MessageColumn::CanId || column == MessageColumn::Count)
        throw std::invalid_argument("only cells 1 to 7 of a row can be written");
    MessageRow& row = rowAt(position);
    row[column].assign(text);
    row.modified = true;
    ++m_revision;
}

MessageRow& MessageTable::appendRow(std::string_view canId)
{
    auto& row = *m_rows.emplace_back(std::make_unique<MessageRow>());
    row[MessageColumn::CanId].assign(canId);
    auto found = m_rowsByCanId.find(canId);
    if (found == m_rowsByCanId.end())
        found = m_rowsByCanId.emplace(std::string(canId), std::vector<MessageRow*>()).first;
    found->second.push_back(&row);
    ++m_revision;
    return row;
}

bool MessageTable::takeModifiedMark(int position)
{
    MessageRow& row = rowAt(position);
    const bool modified = row.modified;
    row.modified = false;
    return modified;
}

void MessageTable::removeRow(int position)
{
    MessageRow* row = &rowAt(position);
    if (m_observer != nullptr)
        m_observer->rowsAboutToBeRemoved(position, position);
    const auto found = m_rowsByCanId.find(std::string_view((*row)[MessageColumn::CanId]));
    auto& sameId = found->second;
    sameId.erase(std::find(sameId.begin(), sameId.end(), row));
    if (sameId.empty())
        m_rowsByCanId.erase(found);
    m_rows.erase(m_rows.begin() + (position - 1));
    ++m_revision;
    if (m_observer != nullptr)
        m_observer->rowsRemoved();
}

void MessageTable::clear()
{
    if (m_rows.empty())
        return;
    if (m_observer != nullptr)
        m_observer->rowsAboutToBeRemoved(1, rowCount());
    m_rowsByCanId.clear();
    m_rows.clear();
    ++m_revision;
    if (m_observer != nullptr)
        m_observer->rowsRemoved();
}

std::span<MessageRow* const> MessageTable::rowsWithCanId(std::string_view canId)
{
    const auto found = m_rowsByCanId.find(canId);
    if (found == m_rowsByCanId.end())
        return {};
    return found->second;
}

} // namespace vexmoor
