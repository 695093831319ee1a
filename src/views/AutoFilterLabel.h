#pragma once

#include <QLabel>

namespace vexmoor {

// lblAutofilter, the status line of the auto filter above the table. The mouse over it turns it blue
// and underlined; only a movement over the bare background it stands on turns it back, so leaving it
// any other way (straight out of the window, quickly onto the table) leaves it blue. A left press and
// release, both on it, is a click.
class AutoFilterLabel final : public QLabel {
    Q_OBJECT

public:
    // Placed on the background at its designed place; the background must track the mouse.
    explicit AutoFilterLabel(QWidget& background);
    Q_DISABLE_COPY_MOVE(AutoFilterLabel)

    void showThreshold(const QString& threshold);

signals:
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHovered(bool hovered);

    QWidget& m_background;
    int m_placedWidth = 0;
    bool m_pressed = false;
};

} // namespace vexmoor
