#include "platform/WidgetMessageBox.h"

#include <QMessageBox>

namespace vexmoor {

void WidgetMessageBox::show(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

bool WidgetMessageBox::askYesNo(const QString& text, const QString& title, bool defaultYes)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vexmoor
