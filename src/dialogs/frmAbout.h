#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexmoor {

// "About CAN_Vexmoor": a banner, a credit line, the help text and a wiring picture, green on
// black. Read-only; Close deletes it, and the next opening builds a fresh one.
class frmAbout final : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmAbout)

private:
    void placeControls();

    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_image1;
    QPlainTextEdit* m_text1;
    QLabel* m_picture1;
    QPushButton* m_command1;
};

} // namespace vexmoor
