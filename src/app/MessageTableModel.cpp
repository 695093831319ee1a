#include "app/MessageTableModel.h"

#include "platform/CodePageText.h"

#include <algorithm>

namespace vexmoor {

MessageTableModel::MessageTableModel(MessageTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    m_table.setObserver(this);
    connect(&m_refreshTimer, &QTimer::timeout, this, &MessageTableModel::refresh);
    m_refreshTimer.start(kRefreshIntervalMs);
}

MessageTableModel::~MessageTableModel()
{
    m_table.setObserver(nullptr);
}

int MessageTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int MessageTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(MessageColumn::Count);
}

QVariant MessageTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !m_table.hasRow(index.row() + 1))
        return {};
    const auto column = static_cast<MessageColumn>(index.column());
    return displayText(m_table.cell(index.row() + 1, column), column == MessageColumn::Ascii);
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= static_cast<int>(MessageColumn::Count))
        return {};
    const auto title = MessageTable::kColumnTitles[static_cast<std::size_t>(section)];
    return QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
}

QString MessageTableModel::displayText(std::string_view cell, bool asciiColumn)
{
    QString text = CodePageText::toQString(cell);
    if (!asciiColumn)
        return text;
    for (QChar& character : text) {
        // Controls, C0 and C1 alike (the code page leaves five bytes undefined), have no glyph.
        const char16_t code = character.unicode();
        if (code < 32 || (code >= 127 && code < 160))
            character = kGlyphlessCharacter;
    }
    return text;
}

void MessageTableModel::refresh()
{
    publishNewRows();
    repaintModifiedRows();
}

void MessageTableModel::publishNewRows()
{
    const int rows = m_table.rowCount();
    if (rows <= m_shownRows)
        return;
    // A new row is painted whole when it appears; it needs no repaint of its own.
    for (int position = m_shownRows + 1; position <= rows; ++position)
        m_table.takeModifiedMark(position);
    beginInsertRows({}, m_shownRows, rows - 1);
    m_shownRows = rows;
    endInsertRows();
}

void MessageTableModel::repaintModifiedRows()
{
    std::vector<std::pair<int, int>> runs; // first and last row index of each run of modified rows
    int modifiedRows = 0;
    for (int position = 1; position <= m_shownRows; ++position) {
        if (!m_table.takeModifiedMark(position))
            continue;
        ++modifiedRows;
        if (!runs.empty() && runs.back().second == position - 2)
            runs.back().second = position - 1;
        else
            runs.emplace_back(position - 1, position - 1);
    }
    if (runs.empty())
        return;
    const int lastColumn = static_cast<int>(MessageColumn::Count) - 1;
    // When most rows changed, one signal for all is cheaper than one per run.
    if (modifiedRows * 2 > m_shownRows) {
        emit dataChanged(index(0, 0), index(m_shownRows - 1, lastColumn), { Qt::DisplayRole });
        return;
    }
    for (const auto& [first, last] : runs)
        emit dataChanged(index(first, 0), index(last, lastColumn), { Qt::DisplayRole });
}

void MessageTableModel::rowsAboutToBeRemoved(int first, int last)
{
    // Rows not yet shown leave without a word to the view.
    m_rowsBeingRemoved = std::max(0, std::min(last, m_shownRows) - first + 1);
    if (m_rowsBeingRemoved > 0)
        beginRemoveRows({}, first - 1, first - 2 + m_rowsBeingRemoved);
}

void MessageTableModel::rowsRemoved()
{
    if (m_rowsBeingRemoved > 0) {
        m_shownRows -= m_rowsBeingRemoved;
        endRemoveRows();
    }
    m_rowsBeingRemoved = -1;
}

} // namespace vexmoor
