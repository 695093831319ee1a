#pragma once

#include "platform/DialogFileChooser.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>

class QAction;
class QMenu;

namespace vexmoor {

class AutoFilterLabel;
class CaptureController;
class CaptureSession;
class EmulatorControls;
class IgnoreListControls;
class MessageTableModel;
class MessageNotesControls;
class MessageTableView;
class OpenLogControls;
class SerialPort;
class TablePlacement;
class TimeOfDaySource;
class UserMessageBox;
class frmAbout;
class frmComSettings;
class frmFind;
class frmOptions;
class frmSketch;

// The start-up window and the only one that lives for the whole run. It shows and commands: the
// table under the auto-filter status line, the source and the frame rate in the status bar, the
// other windows, and every command through its menu bar. The capture itself, with the serial link
// and every timer, is its child controller's.
class frmMain final : public QMainWindow {
    Q_OBJECT

public:
    frmMain(UserMessageBox& messageBox, SerialPort& port, TimeOfDaySource& clock, QWidget* parent = nullptr);
    ~frmMain() override;
    Q_DISABLE_COPY_MOVE(frmMain)

    CaptureController& controller() { return *m_controller; }
    CaptureSession& session();
    MessageTableModel& tableModel() { return *m_tableModel; }
    MessageTableView& tableView() { return *m_tableView; }

    // The status line reads the threshold again.
    void showAutoFilterThreshold();

    void dumpData();
    void showComSettings();
    void showFind();
    void showOptions();
    void showAbout();
    void showSketch();
    // The double click on the table: the notes window for the selected row.
    void openMessageNotes();
    // Where the notes files go: the program's folder unless a test says otherwise.
    void setNotesFolder(std::filesystem::path folder);
    // Where the user picks files and choices: the toolkit's dialogs unless a test answers instead.
    void setFileChooser(FileChooser& chooser) { m_fileChooser = &chooser; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildClientArea();
    void buildMenus();
    void buildFileMenu();
    void buildToolsMenu();
    void buildControls();
    QMenu* addMenu(const char* name, const QString& caption);
    QAction* addAction(QMenu* menu, const char* name, const QString& caption);
    template <typename Window, typename... Arguments>
    void showSingle(QPointer<Window>& window, Arguments&&... arguments);
    void selectRow(int position);
    void closeOtherWindows();

    UserMessageBox& m_messageBox;
    CaptureController* m_controller;
    DialogFileChooser m_dialogFileChooser;
    FileChooser* m_fileChooser = &m_dialogFileChooser;

    QMenu* m_fileMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_finderMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QAction* m_findAction = nullptr;
    EmulatorControls* m_emulator = nullptr;

    AutoFilterLabel* m_autoFilterLabel = nullptr;
    MessageTableModel* m_tableModel = nullptr;
    MessageTableView* m_tableView = nullptr;
    TablePlacement* m_tablePlacement = nullptr;
    IgnoreListControls* m_ignoreLists = nullptr;
    OpenLogControls* m_openLog = nullptr;
    MessageNotesControls* m_notes = nullptr;

    QPointer<frmComSettings> m_comSettings;
    QPointer<frmFind> m_find;
    QPointer<frmOptions> m_options;
    QPointer<frmAbout> m_about;
    QPointer<frmSketch> m_sketch;
};

} // namespace vexmoor
