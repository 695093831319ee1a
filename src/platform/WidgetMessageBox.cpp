#include "platform/WidgetMessageBox.h"

#include <QMessageBox>

namespace vexmoor {

void WidgetMessageBox::show(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

} // namespace vexmoor
