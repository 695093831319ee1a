#pragma once

#include <QPixmap>
#include <QStringList>
#include <QTableView>

class QMenu;

namespace vexmoor {

// The message table (ListView1): one row selected at a time, the columns at their widths in
// millimetres, and the banner drawn behind the rows. While it has no row it says how to begin. The columns after the
// table's eight can be hidden from the header's context menu; the choice is kept in the settings for the next run.
class MessageTableView final : public QTableView {
    Q_OBJECT

public:
    explicit MessageTableView(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MessageTableView)

    void setModel(QAbstractItemModel* model) override;
    // The selected row counted from 1, or 0 when none is selected.
    int selectedPosition() const;
    // The titles of the optional columns hidden now, and hiding exactly those given (the rest shown),
    // as a session keeps them.
    QStringList hiddenColumnTitles() const;
    void hideColumnsTitled(const QStringList& titles);
    // The header's context menu (mnuTableColumns): one checked entry per column that can be hidden.
    QMenu* columnMenu() const { return m_columnMenu; }
    // The Bus column is shown while rows are kept per bus, and only then.
    void setBusColumnShown(bool shown);

signals:
    // A double click with the left button anywhere in the table, on a row or not: the notes window
    // opens either way (doubleClicked comes only on a cell).
    void tableDoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void applyColumnWidths();
    void buildColumnMenu();
    void showColumn(int column, bool shown);
    void paintEmptyHint();

    QPixmap m_banner;
    // Whether the last paint drew the hint of the empty table.
    bool m_hintShown = false;
    QMenu* m_columnMenu = nullptr;
    bool m_busColumnShown = false;
};

} // namespace vexmoor
