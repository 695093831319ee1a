#pragma once

#include "capture/CaptureSession.h"
#include "emulation/ClockSeededRandom.h"
#include "emulation/InteriorEmulatorSlots.h"
#include "platform/EventLoopYield.h"
#include "serial/SerialConnection.h"
#include "serial/SerialPoll.h"
#include "upkeep/AutoFilterPurge.h"
#include "upkeep/ChangeMarkReset.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>

class QAction;
class QLabel;
class QListView;
class QMenu;
class QMouseEvent;

namespace vexmoor {

class IgnoreListModel;
class MessageTableModel;
class MessageTableView;
class RandomSource;
class SerialPort;
class Timer;
class TimeOfDaySource;
class UserMessageBox;
class frmAbout;
class frmComSettings;
class frmEmulator;
class frmFind;
class frmMsgName;
class frmOptions;
class frmSketch;

// The start-up window and the only one that lives for the whole run. It owns the capture session
// (table, ignore lists, settings, shared values), the serial link and every timer, shows the table
// under the auto-filter status line, and reaches every command through its menu bar.
class frmMain final : public QMainWindow {
    Q_OBJECT

public:
    frmMain(UserMessageBox& messageBox, SerialPort& port, TimeOfDaySource& clock, QWidget* parent = nullptr);
    ~frmMain() override;
    Q_DISABLE_COPY_MOVE(frmMain)

    CaptureSession& session() { return m_session; }
    SerialConnection& connection() { return m_connection; }
    MessageTableModel& tableModel() { return *m_tableModel; }
    MessageTableView& tableView() { return *m_tableView; }

    // The status line reads the threshold again.
    void showAutoFilterThreshold();

    void connectToCom();
    void clearAllData();
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
    void sendRandomSample();
    void sendUnimplemented();
    void showInteriorEmulator();
    // Tests draw known numbers.
    void setRandomSource(RandomSource& random) { m_random = &random; }
    // The double click on the table: the notes window for the selected row.
    void openMessageNotes();
    // Where the notes files go: the program's folder unless a test says otherwise.
    void setNotesFolder(std::filesystem::path folder) { m_notesFolder = std::move(folder); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void wireTimers();
    QAction* addAction(QMenu* menu, const char* name, const QString& caption);
    void placeTable();
    void setLabelHovered(bool hovered);
    void noteLabelClick(const QMouseEvent& event);
    void refreshIgnoreLists();
    template <typename Window, typename... Arguments>
    void showSingle(QPointer<Window>& window, Arguments&&... arguments);
    void selectRow(int position);
    void ingestInteriorSlots();
    void closeOtherWindows();

    UserMessageBox& m_messageBox;
    SerialPort& m_port;
    CaptureSession m_session;
    Timer* m_timer1;
    Timer* m_timer2;
    Timer* m_timer3;
    Timer* m_timer4;
    Timer* m_interiorEmulatorTimer;
    SerialConnection m_connection;
    SerialPoll m_poll;
    AutoFilterPurge m_purge;
    ChangeMarkReset m_reset;
    EventLoopYield m_scanYield;
    ClockSeededRandom m_clockRandom;
    RandomSource* m_random = &m_clockRandom;
    InteriorEmulatorSlots m_emulatorSlots;

    QLabel* m_autoFilterLabel = nullptr;
    MessageTableModel* m_tableModel = nullptr;
    MessageTableView* m_tableView = nullptr;
    IgnoreListModel* m_messageIgnoreModel = nullptr;
    IgnoreListModel* m_idIgnoreModel = nullptr;
    QListView* m_messageIgnoreListBox = nullptr;
    QListView* m_idIgnoreListBox = nullptr;
    QRect m_tableGeometry;
    bool m_labelPressed = false;

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
