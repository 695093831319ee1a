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

    QLabel* m_title;
    QLabel* m_credit;
    QLabel* m_banner;
    QPlainTextEdit* m_helpText;
    QLabel* m_wiringPicture;
    QPushButton* m_closeButton;
};

} // namespace vexmoor
