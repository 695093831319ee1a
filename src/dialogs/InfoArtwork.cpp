#include "dialogs/InfoArtwork.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <iterator>

namespace vexmoor {

namespace {

const QColor kGreen(0, 192, 0);
const QColor kBoardBlue(24, 74, 150);
const QColor kOrange(240, 130, 20);
const QColor kWireGrey(130, 130, 130);

// The fonts at hand differ from machine to machine; shrinking until the text fits keeps every
// caption whole whatever family the system substitutes.
QFont fittedFont(const QString& text, int pixelSize, int maxWidth, bool bold)
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    font.setPixelSize(pixelSize);
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > maxWidth)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void drawFittedText(QPainter& painter, const QRect& box, int flags, const QString& text, int pixelSize,
                    bool bold = false)
{
    painter.setFont(fittedFont(text, pixelSize, box.width(), bold));
    painter.drawText(box, flags, text);
}

// A white wire with a coloured stripe, the way vehicle makers mark their twisted pairs.
void drawStripedWire(QPainter& painter, const QPainterPath& path, const QColor& stripe)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    QPen stripePen(stripe, 4, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
    stripePen.setDashPattern({ 2.0, 2.0 });
    painter.setPen(stripePen);
    painter.drawPath(path);
}

QPainterPath wireBetween(const QPointF& from, const QPointF& to)
{
    QPainterPath path(from);
    const double middle = (from.x() + to.x()) / 2.0;
    path.cubicTo(QPointF(middle, from.y()), QPointF(middle, to.y()), to);
    return path;
}

void drawChip(QPainter& painter, const QRect& body, const QString& name)
{
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    for (int x = body.left() + 4; x < body.right() - 2; x += 6) {
        painter.drawLine(x, body.top() - 4, x, body.top());
        painter.drawLine(x, body.bottom(), x, body.bottom() + 4);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30));
    painter.drawRect(body);
    painter.setPen(QColor(220, 220, 220));
    drawFittedText(painter, body.adjusted(2, 0, -2, 0), Qt::AlignCenter, name, 11);
}

} // namespace

QPixmap InfoArtwork::aboutBanner()
{
    QPixmap banner(585, 107);
    banner.fill(Qt::black);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);

    // A bus trace under the name: recessive high, dominant low, the picture of a CAN frame.
    QPainterPath trace(QPointF(12, 92));
    const int levels[] = { 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1 };
    double x = 12;
    for (const int level : levels) {
        const double y = level != 0 ? 98.0 : 86.0;
        trace.lineTo(x, y);
        x += 561.0 / std::size(levels);
        trace.lineTo(x, y);
    }
    painter.setPen(QPen(kGreen.darker(200), 2));
    painter.drawPath(trace);

    painter.setPen(kGreen);
    drawFittedText(painter, QRect(12, 4, 561, 62), Qt::AlignCenter, QStringLiteral("CAN-BUS VEXMOOR"), 56, true);
    drawFittedText(painter, QRect(12, 62, 561, 20), Qt::AlignCenter,
                   QStringLiteral("reverse engineering a vehicle's CAN bus, one identifier at a time"), 14);
    return banner;
}

QPixmap InfoArtwork::wiringPicture()
{
    QPixmap picture(537, 238);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // The shield, seen from above, with its two bus terminals on the right edge.
    const QRect board(12, 34, 196, 170);
    painter.setPen(QPen(QColor(200, 200, 200), 1));
    painter.setBrush(kBoardBlue);
    painter.drawRoundedRect(board, 6, 6);
    painter.setPen(Qt::white);
    drawFittedText(painter, QRect(board.left() + 8, board.top() + 6, 150, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("CAN-BUS Shield"), 14, true);
    drawChip(painter, QRect(board.left() + 16, board.top() + 44, 70, 40), QStringLiteral("MCP2515"));
    drawChip(painter, QRect(board.left() + 16, board.top() + 110, 70, 28), QStringLiteral("MCP2551"));

    const QRect terminalBlock(board.right() - 30, board.top() + 50, 28, 76);
    painter.setPen(QPen(QColor(0, 80, 0), 1));
    painter.setBrush(QColor(0, 150, 60));
    painter.drawRect(terminalBlock);
    const QPointF canHigh(terminalBlock.center().x(), terminalBlock.top() + 19);
    const QPointF canLow(terminalBlock.center().x(), terminalBlock.bottom() - 18);
    for (const QPointF& screw : { canHigh, canLow }) {
        painter.setPen(QPen(QColor(60, 60, 60), 1));
        painter.setBrush(QColor(200, 200, 200));
        painter.drawEllipse(screw, 8, 8);
        painter.drawLine(screw + QPointF(-5, 0), screw + QPointF(5, 0));
    }
    painter.setPen(Qt::white);
    const int labelRight = terminalBlock.left() - 6;
    drawFittedText(painter, QRect(labelRight - 60, qRound(canHigh.y()) - 9, 60, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("CAN-H"), 14, true);
    drawFittedText(painter, QRect(labelRight - 60, qRound(canLow.y()) - 9, 60, 18), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("CAN-L"), 14, true);

    // The vehicle's side: the radio's connector, a grid of pin cavities, two of them the bus.
    const QRect connector(392, 46, 132, 146);
    painter.setPen(QPen(QColor(160, 160, 160), 2));
    painter.setBrush(QColor(55, 55, 55));
    painter.drawRoundedRect(connector, 8, 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 4; ++column)
            painter.drawRect(connector.left() + 18 + column * 28, connector.top() + 14 + row * 22, 14, 12);
    }
    painter.setPen(kGreen);
    drawFittedText(painter, QRect(connector.left() - 20, 14, connector.width() + 30, 22), Qt::AlignCenter,
                   QStringLiteral("Radio connector"), 15, true);

    const QPointF highPin(connector.left() + 25, connector.top() + 14 + 2 * 22 + 6);
    const QPointF lowPin(connector.left() + 25, connector.top() + 14 + 4 * 22 + 6);
    drawStripedWire(painter, wireBetween(canHigh, highPin), kWireGrey);
    drawStripedWire(painter, wireBetween(canLow, lowPin), kOrange);

    painter.setPen(Qt::white);
    drawFittedText(painter, QRect(226, 62, 150, 18), Qt::AlignCenter, QStringLiteral("White/Grey"), 14, true);
    drawFittedText(painter, QRect(226, 176, 150, 18), Qt::AlignCenter, QStringLiteral("White/Orange"), 14, true);
    painter.setPen(kGreen);
    drawFittedText(painter, QRect(12, 214, 513, 20), Qt::AlignCenter,
                   QStringLiteral("CAN-H to the white/grey wire, CAN-L to the white/orange wire"), 13);
    return picture;
}

QPalette InfoArtwork::greenOnBlack(QPalette palette)
{
    const QColor green(0, 192, 0);
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, green);
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, green);
    return palette;
}

} // namespace vexmoor
