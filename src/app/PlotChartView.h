#pragma once

#include <QChartView>
#include <QPoint>

namespace vexmoor {

// The plot's chart, zoomed and panned along time by the user: the wheel zooms around the pointer, a
// left drag draws the range to zoom into and a right click zooms out, a middle drag (or a left drag
// with Ctrl) and the arrow keys pan. Every one of them says so, so that the panel stops following
// the live end.
class PlotChartView final : public QChartView {
    Q_OBJECT

public:
    explicit PlotChartView(QChart* chart, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PlotChartView)

signals:
    void userMovedView();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Zooms time by the factor (below 1: in) keeping the time under x where it is.
    void zoomAround(qreal x, qreal factor);
    // The time axis's (min, max).
    QPointF timeRange() const;

    bool m_panning = false;
    QPoint m_panFrom;
};

} // namespace vexmoor
