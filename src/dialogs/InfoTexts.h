#pragma once

#include <QString>

namespace vexmoor {

// The two long texts of the information windows. Lines end in CR LF, as they do in the files
// users copy them into (and in the board program, which the Arduino tools take either way).
class InfoTexts final {
public:
    // The help shown in the About window: what the tool is for, the hardware, the record format.
    static QString helpText();
    // The board program that writes each CAN frame as "<id,byte,...,byte,>" at 38400 baud.
    static QString sketchText();
};

} // namespace vexmoor
