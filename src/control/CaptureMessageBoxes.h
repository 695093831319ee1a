#pragma once

#include <QObject>

namespace vexmoor {

class CaptureController;
class UserMessageBox;

// What the capture tells the user in a box: a source that would not open or a replay that stopped
// at a read error, a log that cannot be written or that stopped. The window shows them in its boxes,
// the command line prints them as its console box does.
class CaptureMessageBoxes final : public QObject {
    Q_OBJECT

public:
    CaptureMessageBoxes(CaptureController& controller, UserMessageBox& messageBox, QObject* parent = nullptr);
};

} // namespace vexmoor
