#pragma once

#include "platform/UserMessageBox.h"

#include <iosfwd>

namespace vexmoor {

// Where there is no display, a message box becomes one line on standard error.
class ConsoleMessageBox final : public UserMessageBox {
public:
    explicit ConsoleMessageBox(std::ostream& err);

    void show(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, bool defaultYes) override;
    bool shown() const { return m_shown; }

private:
    std::ostream& m_err;
    bool m_shown = false;
};

} // namespace vexmoor
