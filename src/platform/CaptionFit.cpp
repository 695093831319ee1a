#include "platform/CaptionFit.h"

#include <QFontMetrics>
#include <QWidget>

namespace vexmoor {

void CaptionFit::shrinkToFit(QWidget& widget, const QString& text, int margin)
{
    QFont font = widget.font();
    const int room = widget.width() - margin;
    while (QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    widget.setFont(font);
}

} // namespace vexmoor
