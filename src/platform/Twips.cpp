#include "platform/Twips.h"

#include <QWidget>

#include <cmath>

namespace vexmoor {

int Twips::toPixels(int twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

QRect Twips::toPixels(int left, int top, int width, int height, double logicalDpi)
{
    return { toPixels(left, logicalDpi), toPixels(top, logicalDpi), toPixels(width, logicalDpi),
             toPixels(height, logicalDpi) };
}

double Twips::logicalDpiOf(const QWidget& widget)
{
    return widget.logicalDpiY();
}

} // namespace vexmoor
