#pragma once

#include <QRect>

class QWidget;

namespace vexmoor {

// Places and sizes of windows and controls are given in twips, 1440 to the inch; they become
// pixels through the screen's logical resolution (15 twips to a pixel at 96 dots per inch).
class Twips final {
public:
    static int toPixels(int twips, double logicalDpi);
    static QRect toPixels(int left, int top, int width, int height, double logicalDpi);
    static double logicalDpiOf(const QWidget& widget);
};

} // namespace vexmoor
