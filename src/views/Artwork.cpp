#include "views/Artwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace vexmoor {

namespace {

const QColor kGreen(0, 220, 90);

QPixmap iconAt(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::black);
    painter.setPen(QPen(kGreen, size / 16.0));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 6.0, size / 6.0);
    // A square wave: the bus.
    QPainterPath wave;
    const double low = size * 0.68;
    const double high = size * 0.32;
    const double step = size / 6.0;
    wave.moveTo(size * 0.1, low);
    for (int edge = 0; edge < 4; ++edge) {
        const double x = size * 0.1 + step * (edge + 0.5);
        const double y = edge % 2 == 0 ? high : low;
        wave.lineTo(x, edge % 2 == 0 ? low : high);
        wave.lineTo(x, y);
    }
    wave.lineTo(size * 0.9, high);
    painter.setPen(QPen(kGreen, size / 12.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    return pixmap;
}

} // namespace

QPixmap Artwork::tableBanner()
{
    QPixmap banner(1595, 117);
    banner.fill(Qt::black);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kGreen.darker(250), 1));
    for (int x = 0; x < banner.width(); x += 24)
        painter.drawLine(x, 0, x, banner.height());
    QFont title(QStringLiteral("Monospace"));
    title.setStyleHint(QFont::Monospace);
    title.setBold(true);
    title.setPixelSize(64);
    painter.setFont(title);
    painter.setPen(kGreen);
    painter.drawText(banner.rect().adjusted(24, 0, -24, -20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("CAN-BUS VEXMOOR"));
    QFont subtitle = title;
    subtitle.setBold(false);
    subtitle.setPixelSize(20);
    painter.setFont(subtitle);
    painter.drawText(banner.rect().adjusted(28, 0, -24, -12), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("one row per identifier - watch what changes"));
    return banner;
}

QIcon Artwork::windowIcon()
{
    QIcon icon;
    icon.addPixmap(iconAt(16));
    icon.addPixmap(iconAt(32));
    return icon;
}

} // namespace vexmoor
