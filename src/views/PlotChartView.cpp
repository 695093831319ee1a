#include "views/PlotChartView.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>

namespace vexmoor {

namespace {

constexpr qreal kWheelZoomIn = 0.8;
constexpr qreal kKeyPanShare = 0.1; // of the plot's width per arrow key

bool startsPan(const QMouseEvent& event)
{
    return event.button() == Qt::MiddleButton
        || (event.button() == Qt::LeftButton && event.modifiers().testFlag(Qt::ControlModifier));
}

} // namespace

PlotChartView::PlotChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent)
{
    setObjectName(QStringLiteral("chartPlot"));
    setRubberBand(QChartView::HorizontalRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing);
}

void PlotChartView::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() == 0)
        return QChartView::wheelEvent(event);
    zoomAround(event->position().x(), event->angleDelta().y() > 0 ? kWheelZoomIn : 1 / kWheelZoomIn);
    event->accept();
    emit userMovedView();
}

void PlotChartView::zoomAround(qreal x, qreal factor)
{
    const QRectF area = chart()->plotArea();
    const qreal anchor = std::clamp(x, area.left(), area.right());
    const qreal left = anchor - (anchor - area.left()) * factor;
    chart()->zoomIn(QRectF(left, area.top(), area.width() * factor, area.height()));
}

QPointF PlotChartView::timeRange() const
{
    const QList<QAbstractAxis*> axes = chart()->axes(Qt::Horizontal);
    const auto* axis = axes.isEmpty() ? nullptr : qobject_cast<const QValueAxis*>(axes.first());
    return axis != nullptr ? QPointF(axis->min(), axis->max()) : QPointF();
}

void PlotChartView::mousePressEvent(QMouseEvent* event)
{
    // The right button is the menu's, on its release: the rubber band would zoom out on it.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (!startsPan(*event))
        return QChartView::mousePressEvent(event);
    m_panning = true;
    m_panFrom = event->position().toPoint();
    event->accept();
}

void PlotChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_panning)
        return QChartView::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    chart()->scroll(m_panFrom.x() - at.x(), 0);
    m_panFrom = at;
    event->accept();
    emit userMovedView();
}

void PlotChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit menuRequested(event->position().toPoint());
        return;
    }
    if (m_panning) {
        m_panning = false;
        event->accept();
        return;
    }
    // The rubber band zooms in on a left release; a plain click moves nothing and must not stop the
    // panel following.
    const QPointF before = timeRange();
    QChartView::mouseReleaseEvent(event);
    if (timeRange() != before)
        emit userMovedView();
}

void PlotChartView::zoomOut()
{
    // Along time only, twice as wide, as the rest of the view's zooms.
    zoomAround(chart()->plotArea().center().x(), 2);
    emit userMovedView();
}

void PlotChartView::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button's release already asked for the menu; the menu key asks at the pointer.
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit menuRequested(mapFromGlobal(QCursor::pos()));
    event->accept();
}

void PlotChartView::keyPressEvent(QKeyEvent* event)
{
    const qreal step = chart()->plotArea().width() * kKeyPanShare;
    switch (event->key()) {
    case Qt::Key_Left:
        chart()->scroll(-step, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(step, 0);
        break;
    case Qt::Key_Plus:
        zoomAround(chart()->plotArea().center().x(), kWheelZoomIn);
        break;
    case Qt::Key_Minus:
        zoomAround(chart()->plotArea().center().x(), 1 / kWheelZoomIn);
        break;
    default:
        return QChartView::keyPressEvent(event);
    }
    event->accept();
    emit userMovedView();
}

} // namespace vexmoor
