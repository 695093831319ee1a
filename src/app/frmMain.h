#pragma once

#include "platform/DialogFileChooser.h"

#include <QMainWindow>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <filesystem>

class QAction;
class QMenu;

namespace vexmoor {

class AutoFilterLabel;
class BitViewPanel;
class CandidatesPanel;
class CaptureController;
class CaptureSession;
class IgnoreListBox;
class MarkControls;
class MarksPanel;
class MessageTableModel;
class MessageTableView;
class PlotPanel;
class SuppressionControls;
struct RankedBit;
class ReplayToolBar;
class SerialPort;
class TimeOfDaySource;
class UserMessageBox;
class frmAbout;
class frmComSettings;
class frmEmulator;
class frmFind;
class frmMsgName;
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

    void toggleIgnoreLists();
    void clearIdIgnoreList();
    void clearMessageIgnoreList();
    void dumpData();
    void showComSettings();
    void showFind();
    void showOptions();
    void showAbout();
    void showSketch();
    void toggleEmulation();
    void showInteriorEmulator();
    // The double click on the table: the notes window for the selected row.
    void openMessageNotes();
    // Where the notes files go: the program's folder unless a test says otherwise.
    void setNotesFolder(std::filesystem::path folder) { m_notesFolder = std::move(folder); }
    // "Open Log...": the file, whether to clear the table, how to replay it and which interface.
    void openLog();
    // Where the user picks files and choices: the toolkit's dialogs unless a test answers instead.
    void setFileChooser(FileChooser& chooser) { m_fileChooser = &chooser; }
    // A candidate of the ranking chosen: its row selected in the table and shown in the bit view, and
    // its bit plotted.
    void showCandidate(const RankedBit& candidate);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildStatusBar();
    void buildMarking(PlotPanel& plot, SuppressionControls& suppression);
    void markTaken(std::size_t count);
    // The row of the identifier counted from 1, or 0 when the table has none.
    int positionOf(std::uint32_t id, bool extended) const;
    int topToolBarsHeight() const;
    QAction* addAction(QMenu* menu, const char* name, const QString& caption);
    void placeTable();
    template <typename Window, typename... Arguments>
    void showSingle(QPointer<Window>& window, Arguments&&... arguments);
    void selectRow(int position);
    void closeOtherWindows();
    // Rows, marks or plotted values: what "Clear All Data in the List" would take from the user's eyes.
    bool holdsDataInSight();

    UserMessageBox& m_messageBox;
    CaptureController* m_controller;

    AutoFilterLabel* m_autoFilterLabel = nullptr;
    MessageTableModel* m_tableModel = nullptr;
    MessageTableView* m_tableView = nullptr;
    IgnoreListBox* m_messageIgnoreListBox = nullptr;
    IgnoreListBox* m_idIgnoreListBox = nullptr;
    QRect m_tableGeometry;
    ReplayToolBar* m_replayToolBar = nullptr;
    BitViewPanel* m_bitView = nullptr;
    PlotPanel* m_plot = nullptr;
    MarksPanel* m_marks = nullptr;
    CandidatesPanel* m_candidates = nullptr;
    DialogFileChooser m_dialogFileChooser;
    FileChooser* m_fileChooser = &m_dialogFileChooser;

    std::filesystem::path m_notesFolder;
    QPointer<frmComSettings> m_comSettings;
    QPointer<frmFind> m_find;
    QPointer<frmOptions> m_options;
    QPointer<frmMsgName> m_notes;
    QPointer<frmAbout> m_about;
    QPointer<frmSketch> m_sketch;
    QPointer<frmEmulator> m_emulator;
};

} // namespace vexmoor
