#pragma once

#include "platform/FileChooser.h"

namespace vexmoor {

// The toolkit's own file and choice dialogs.
class DialogFileChooser final : public FileChooser {
public:
    QString fileToOpen(QWidget* parent, const QString& caption, const QString& filter) override;
    QString fileToSave(QWidget* parent, const QString& caption, const QString& filter) override;
    QString choice(QWidget* parent, const QString& caption, const QString& label, const QStringList& choices) override;
};

} // namespace vexmoor
