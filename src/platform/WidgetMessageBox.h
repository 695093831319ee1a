#pragma once

#include "platform/UserMessageBox.h"

namespace vexmoor {

class WidgetMessageBox final : public UserMessageBox {
public:
    void show(const QString& text, const QString& title, Icon icon) override;
};

} // namespace vexmoor
