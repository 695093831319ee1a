#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vexmoor {

// Where the user picks a file, or one of a few choices; tests put a double here that answers at
// once. An empty answer means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString fileToOpen(QWidget* parent, const QString& caption, const QString& filter) = 0;
    virtual QString fileToSave(QWidget* parent, const QString& caption, const QString& filter) = 0;
    // One of the choices, the first one preselected.
    virtual QString choice(QWidget* parent, const QString& caption, const QString& label, const QStringList& choices)
        = 0;
};

} // namespace vexmoor
