#pragma once

#include "platform/UserMessageBox.h"

namespace vexmoor {

class WidgetMessageBox final : public UserMessageBox {
public:
    void show(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, bool defaultYes) override;
};

} // namespace vexmoor
