#pragma once

#include "capture/signals/MessageDefinition.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace vexmoor {

// "Define Signal": a signal's name and bits, its scaling and unit, with the value it gives the
// message's latest frame shown as the fields change. A name must be a DBC identifier, and the window
// says so where one is not; bits that another signal of the message uses are allowed, with a warning
// naming it.
class frmSignalEditor final : public QDialog {
    Q_OBJECT

public:
    // message: the message the signal joins, as the database holds it or as it would be added
    // (newMessage: its name can still be set). latestData: the message's latest frame, for the preview.
    frmSignalEditor(MessageDefinition message, bool newMessage, SignalDefinition draft,
                    std::vector<std::uint8_t> latestData, QWidget* parent = nullptr);

    // The message with the name typed for a new one; its signals as they were.
    MessageDefinition message() const;
    SignalDefinition signal() const;

private:
    QLineEdit* addLineEdit(const char* name, const QString& text);
    void update();
    QString previewText(const SignalDefinition& signal) const;

    MessageDefinition m_message;
    bool m_newMessage;
    std::vector<std::uint8_t> m_latestData;
    QLineEdit* m_messageName;
    QLineEdit* m_name;
    QSpinBox* m_startBit;
    QSpinBox* m_length;
    QComboBox* m_byteOrder;
    QCheckBox* m_signed;
    QLineEdit* m_factor;
    QLineEdit* m_offset;
    QLineEdit* m_unit;
    QLabel* m_preview;
    QLabel* m_problem;
    QDialogButtonBox* m_buttons;
};

} // namespace vexmoor
