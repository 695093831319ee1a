#pragma once

#include <QObject>
#include <QPointer>

#include <filesystem>

namespace vexmoor {

class CaptureController;
class MessageTableView;
class UserMessageBox;
class frmMsgName;

// The notes window of the selected row, opened by a double click on the table. While it is open
// the controller hands it that row's records as they are folded into the table.
class MessageNotesControls final : public QObject {
    Q_OBJECT

public:
    MessageNotesControls(CaptureController& controller, MessageTableView& table, UserMessageBox& messageBox,
                         std::filesystem::path folder, QObject* parent);
    Q_DISABLE_COPY_MOVE(MessageNotesControls)

    void open();
    // Where the notes files go.
    void setFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    // The run ends: the window goes without its own closing.
    void closeWindow();

private:
    CaptureController& m_controller;
    MessageTableView& m_table;
    UserMessageBox& m_messageBox;
    std::filesystem::path m_folder;
    QPointer<frmMsgName> m_window;
};

} // namespace vexmoor
