#include "platform/DialogFileChooser.h"

#include <QFileDialog>
#include <QInputDialog>

namespace vexmoor {

QString DialogFileChooser::fileToOpen(QWidget* parent, const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString DialogFileChooser::fileToSave(QWidget* parent, const QString& caption, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

QString DialogFileChooser::choice(QWidget* parent, const QString& caption, const QString& label,
                                  const QStringList& choices)
{
    bool chosen = false;
    const QString answer = QInputDialog::getItem(parent, caption, label, choices, 0, false, &chosen);
    return chosen ? answer : QString();
}

} // namespace vexmoor
