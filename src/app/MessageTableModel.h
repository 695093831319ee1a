#pragma once

#include "capture/MessageTable.h"

#include <QAbstractTableModel>
#include <QTimer>

namespace vexmoor {

// The message table as the view sees it. It stores nothing of its own: data() turns a cell's
// Windows-1252 bytes into text only for the cells the view asks for. Records change the table far
// more often than a screen can show, so new rows and changed cells are told to the view in batches,
// at most about thirty times a second, and only the rows that changed are repainted. Rows that
// leave the table are told at once, before they go.
class MessageTableModel final : public QAbstractTableModel, private MessageTableObserver {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = 33;
    static constexpr QChar kGlyphlessCharacter { 0x00B7 };

    explicit MessageTableModel(MessageTable& table, QObject* parent = nullptr);
    ~MessageTableModel() override;
    Q_DISABLE_COPY_MOVE(MessageTableModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Tells the view about the rows added and the cells written since the last refresh.
    void refresh();

    // A cell's text for the screen; in the ASCII column, characters without a glyph show as a dot.
    static QString displayText(std::string_view cell, bool asciiColumn);

private:
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved() override;
    void publishNewRows();
    void repaintModifiedRows();

    MessageTable& m_table;
    QTimer m_refreshTimer;
    int m_shownRows = 0;
    int m_rowsBeingRemoved = -1;
};

} // namespace vexmoor
