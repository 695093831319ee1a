#include "cli/ConsoleMessageBox.h"

#include <ostream>

namespace vexmoor {

ConsoleMessageBox::ConsoleMessageBox(std::ostream& err)
    : m_err(err)
{
}

void ConsoleMessageBox::show(const QString& text, const QString& title, Icon)
{
    m_err << "vexmoor: " << title.toStdString() << ": " << text.toStdString() << '\n';
    m_shown = true;
}

bool ConsoleMessageBox::askYesNo(const QString&, const QString&, bool defaultYes)
{
    // Nobody is there to answer.
    return defaultYes;
}

} // namespace vexmoor
