#include "control/CaptureMessageBoxes.h"

#include "control/CaptureController.h"
#include "platform/UserMessageBox.h"

#include <QDir>

namespace vexmoor {

namespace {

// The box's title is the command that failed.
QString titleOf(CaptureSource::Kind kind)
{
    switch (kind) {
    case CaptureSource::Kind::Board:
        return QStringLiteral("Invalid Port");
    case CaptureSource::Kind::Slcan:
    case CaptureSource::Kind::CanBus:
        return QStringLiteral("Connect to CAN Interface");
    case CaptureSource::Kind::Replay:
        break;
    }
    return QStringLiteral("Open Log");
}

} // namespace

CaptureMessageBoxes::CaptureMessageBoxes(CaptureController& controller, UserMessageBox& messageBox, QObject* parent)
    : QObject(parent)
{
    connect(&controller, &CaptureController::sourceRefused, this,
            [&messageBox](CaptureSource::Kind kind, const QString& reason) {
                messageBox.show(reason, titleOf(kind), UserMessageBox::Icon::Error);
            });
    connect(&controller, &CaptureController::loggingRefused, this,
            [&messageBox](const QString& path, const QString& reason) {
                messageBox.show(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason),
                                QStringLiteral("Start Logging"), UserMessageBox::Icon::Error);
            });
    connect(&controller, &CaptureController::loggingStopped, this,
            [&messageBox](const QString& path, const QString& reason) {
                messageBox.show(QStringLiteral("Logging to %1 stopped: %2. The capture goes on without a log.")
                                    .arg(QDir::toNativeSeparators(path), reason),
                                QStringLiteral("Logging"), UserMessageBox::Icon::Error);
            });
}

} // namespace vexmoor
