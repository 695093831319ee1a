#include "platform/DesignedFont.h"

#include <QWidget>

namespace vexmoor {

QFont DesignedFont::tahoma(double points, bool bold)
{
    return sansSerif(QStringLiteral("Tahoma"), points, bold);
}

QFont DesignedFont::msSansSerif(double points, bool bold)
{
    return sansSerif(QStringLiteral("MS Sans Serif"), points, bold);
}

QFont DesignedFont::sized(const QWidget& widget, double points, bool bold)
{
    QFont font = widget.font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont DesignedFont::sansSerif(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace vexmoor
