#pragma once

#include "capture/ranking/MessageAnatomy.h"

#include <QDockWidget>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vexmoor {

// The "Anatomy" dock (dockAnatomy): the fields proposed for the selected row's identifier, as a DBC
// would hold them, with what each seems to be. The fields chosen, or all that ever moved, can be
// taken into the signal database as signals.
class AnatomyPanel final : public QDockWidget {
    Q_OBJECT

public:
    enum Column { StartColumn, LengthColumn, OrderColumn, SignedColumn, KindColumn, DetailColumn, ColumnCount };

    explicit AnatomyPanel(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(AnatomyPanel)

    // key: the identifier as the table writes it; busName: its bus while rows are kept per bus, else
    // empty; anatomy: its proposal, nullptr while none was made.
    void showIdentifier(const QString& key, const QString& busName, const MessageAnatomy* anatomy);
    void showNothing();

signals:
    // "Accept as Signal": the fields selected, as indexes in the anatomy's fields.
    void acceptRequested(const vexmoor::MessageAnatomy& anatomy, const std::vector<int>& fields);
    // "Accept All": every field of the message that moved.
    void acceptAllRequested(const vexmoor::MessageAnatomy& anatomy);

private:
    void showFields(const MessageAnatomy* anatomy);
    void acceptSelected();
    void updateButtons();

    QLabel* m_heading;
    QStandardItemModel* m_model;
    QTableView* m_table;
    QPushButton* m_accept;
    QPushButton* m_acceptAll;
    // The proposal shown, while it is one.
    std::optional<MessageAnatomy> m_anatomy;
};

} // namespace vexmoor
