#pragma once

#include <QPalette>
#include <QPixmap>

namespace vexmoor {

// The pictures of the information windows, drawn rather than stored so that nothing but source
// code has to ship with the program.
class InfoArtwork final {
public:
    // Green lettering on black, 585 x 107 pixels, the head of the About window.
    static QPixmap aboutBanner();
    // How the shield joins the vehicle: its CAN-L and CAN-H terminals wired to the two bus wires
    // behind the radio. 537 x 238 pixels.
    static QPixmap wiringPicture();
    // Green text on black for a window and its labels and text boxes; buttons keep their own look.
    static QPalette greenOnBlack(QPalette palette);
};

} // namespace vexmoor
