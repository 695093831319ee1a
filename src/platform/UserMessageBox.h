#pragma once

#include <QString>

namespace vexmoor {

// A message box with a text, a title, no icon or the error icon, and one OK button. It returns when
// the user has closed it; tests put a recorder here instead of a modal box.
class UserMessageBox {
public:
    enum class Icon { None, Error };

    virtual ~UserMessageBox() = default;
    virtual void show(const QString& text, const QString& title, Icon icon) = 0;
    // A question with Yes and No buttons; Enter gives the default answer. Where nobody can answer
    // (a headless run), the default is the answer.
    virtual bool askYesNo(const QString& text, const QString& title, bool defaultYes) = 0;
};

} // namespace vexmoor
