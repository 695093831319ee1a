#include "views/AutoFilterLabel.h"

#include "platform/Twips.h"

#include <QMouseEvent>

#include <algorithm>

namespace vexmoor {

AutoFilterLabel::AutoFilterLabel(QWidget& background)
    : QLabel(&background)
    , m_background(background)
{
    setObjectName(QStringLiteral("lblAutofilter"));
    const double dpi = Twips::logicalDpiOf(*this);
    setGeometry(Twips::toPixels(120, 120, 3135, 255, dpi));
    m_placedWidth = width();
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    background.installEventFilter(this);
}

void AutoFilterLabel::showThreshold(const QString& threshold)
{
    setText(QStringLiteral("Auto Filter CAN-IDs on ") + threshold + QStringLiteral(" counts"));
    // The label keeps its place; it grows to the right when the host's font needs more room.
    resize(std::max(m_placedWidth, sizeHint().width()), height());
}

void AutoFilterLabel::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(true);
    // Passed on, the movement would reach the background, which would undo this at once.
    event->accept();
}

void AutoFilterLabel::mousePressEvent(QMouseEvent* event)
{
    // A double click comes here too; its second press does not start a click.
    if (event->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void AutoFilterLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const bool click = m_pressed && rect().contains(event->position().toPoint());
        m_pressed = false;
        if (click)
            emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

bool AutoFilterLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_background && event->type() == QEvent::MouseMove)
        setHovered(false);
    return QLabel::eventFilter(watched, event);
}

void AutoFilterLabel::setHovered(bool hovered)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, hovered ? QColor(0, 0, 255) : QColor(Qt::black));
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(hovered);
    setFont(underlined);
}

} // namespace vexmoor
