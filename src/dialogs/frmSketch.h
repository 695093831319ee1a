#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexmoor {

// "Arduino Sketch": the board program Vexmoor expects, shown for copying, with notes on what it
// needs. Read-only; Close deletes it, and the next opening builds a fresh one. The window may be
// enlarged, and the source text grows with it.
class frmSketch final : public QWidget {
    Q_OBJECT

public:
    explicit frmSketch(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmSketch)

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeControls();

    QLabel* m_purpose;
    QLabel* m_instruction;
    QLabel* m_note;
    QPlainTextEdit* m_sketchText;
    QPushButton* m_closeButton;
};

} // namespace vexmoor
