#pragma once

#include "capture/signals/MessageDefinition.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace vexmoor {

// "Add Message" and "Edit Message": a message's name, identifier, length and sender. The name must be
// a DBC identifier that no other message has, the identifier one that no other message uses, and the
// length must hold every signal the message has, or the file written would not read back.
class frmMessageEditor final : public QDialog {
    Q_OBJECT

public:
    // others: the database's other messages, for the names and identifiers already taken.
    frmMessageEditor(MessageDefinition message, std::vector<MessageDefinition> others, QWidget* parent = nullptr);

    // The message as typed, with its signals as they were.
    MessageDefinition message() const;

private:
    QLineEdit* addLineEdit(const char* name, const QString& text);
    void update();
    QString problem() const;

    MessageDefinition m_message;
    std::vector<MessageDefinition> m_others;
    QLineEdit* m_name;
    QLineEdit* m_identifier;
    QCheckBox* m_extended;
    QSpinBox* m_length;
    QLineEdit* m_sender;
    QLabel* m_problem;
    QDialogButtonBox* m_buttons;
};

} // namespace vexmoor
