#pragma once

#include <QChartView>
#include <QPoint>

namespace vexmoor {

// The plot's chart, zoomed and panned along time by the user: the wheel zooms around the pointer, a
// left drag draws the range to zoom into, a middle drag (or a left drag with Ctrl) and the arrow keys
// pan. Every one of them says so, so that the panel stops following the live end. A right click asks
// the panel for its menu (zoom out, mark the moment under the pointer).
class PlotChartView final : public QChartView {
    Q_OBJECT

public:
    explicit PlotChartView(QChart* chart, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PlotChartView)

signals:
    void userMovedView();
    // A right click at position, in the view's coordinates.
    void menuRequested(QPoint position);

public slots:
    // Shows a wider range around the centre, as the rubber band's zoom out does.
    void zoomOut();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Zooms time by the factor (below 1: in) keeping the time under x where it is.
    void zoomAround(qreal x, qreal factor);
    // The time axis's (min, max).
    QPointF timeRange() const;

    bool m_panning = false;
    QPoint m_panFrom;
};

} // namespace vexmoor
