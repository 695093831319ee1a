#pragma once

#include <QIcon>
#include <QPixmap>

namespace vexmoor {

// The program's own pictures, drawn rather than stored.
class Artwork final {
public:
    // Green lettering on black, 1595 x 117 pixels.
    static QPixmap tableBanner();
    // The window icon at 16 and 32 pixels.
    static QIcon windowIcon();
};

} // namespace vexmoor
