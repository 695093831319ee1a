#pragma once

#include <QObject>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;

namespace vexmoor {

class DbcDocument;
class FileChooser;
class MessageTableModel;
class UserMessageBox;

// The window's side of the signal database: "Open DBC...", "Save DBC", "Save DBC As..." and "Close DBC"
// behind a separator at the end of the File menu, and "DBC: civic.dbc" in the status bar, with " *"
// while edits wait to be saved.
class DbcControls final : public QObject {
    Q_OBJECT

public:
    // The table's DBC Message column follows the open database.
    DbcControls(QMenu& fileMenu, QStatusBar& statusBar, DbcDocument& document, MessageTableModel& table,
                UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser, QWidget& window);
    Q_DISABLE_COPY_MOVE(DbcControls)

    // "DBC: civic.dbc", and " *" with unsaved edits.
    static QString statusText(const QString& fileName, bool modified);

    void openDbc();
    void saveDbc();
    void saveDbcAs();
    void closeDbc();

private:
    QAction* addAction(QMenu& menu, const char* name, const QString& caption);
    // Unsaved edits are saved first if the user wants; false when they stay unsaved because saving failed.
    bool offerToSave(const QString& title);
    void showState();

    DbcDocument& m_document;
    MessageTableModel& m_table;
    UserMessageBox& m_messageBox;
    std::function<FileChooser&()> m_fileChooser;
    QWidget& m_window;
    QAction* m_save;
    QAction* m_saveAs;
    QAction* m_close;
    QLabel* m_status;
};

} // namespace vexmoor
