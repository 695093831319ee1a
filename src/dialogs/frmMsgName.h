#pragma once

#include "capture/record/MessageNotesLog.h"

#include <QString>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vexmoor {

class IgnoreList;
class MessageTable;
class UserMessageBox;

// "Message Notes": opened by a double click on a table row, it names the row, appends the message
// with its name to the message's notes file, puts the identifier or the message on an ignore list,
// and while it is shown collects in its log every distinct record of the row's identifier. The
// dialog addresses its row by the position shown in Label3, whatever row holds that position when
// an action runs.
class frmMsgName final : public QWidget, public MessageNotesLog {
    Q_OBJECT

public:
    frmMsgName(MessageTable& table, IgnoreList& messageIgnoreList, IgnoreList& idIgnoreList, UserMessageBox& messageBox,
               std::filesystem::path notesFolder, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmMsgName)

    // The captions take the message, the CAN_ID and the position of the row there.
    void showRow(int position);

    bool isShown() const override;
    bool contains(std::string_view text) const override;
    void appendLine(std::string_view text) override;

private:
    void placeControls();
    void save();
    void saveName();
    void ignoreId();
    void ignoreMessage();
    std::optional<std::string> nameInCodePage();

    MessageTable& m_table;
    IgnoreList& m_messageIgnoreList;
    IgnoreList& m_idIgnoreList;
    UserMessageBox& m_messageBox;
    std::filesystem::path m_notesFolder;
    // The captions' own bytes: the labels show them converted from the code page.
    std::string m_message = "Label2";
    std::string m_canId = "Label4";
    // The position shown in Label3; none until a row is shown.
    std::optional<int> m_position;

    QLabel* m_nameHeading;
    QLabel* m_messageLabel;
    QLabel* m_positionLabel;
    QLabel* m_canIdLabel;
    QLabel* m_canIdHeading;
    QLineEdit* m_nameBox;
    QPushButton* m_saveButton;
    QPushButton* m_closeButton;
    QPushButton* m_ignoreMessageButton;
    QPushButton* m_ignoreIdButton;
    QPushButton* m_saveNameButton;
    QPlainTextEdit* m_messageLog;
};

} // namespace vexmoor
