#pragma once

#include "platform/UserMessageBox.h"

#include <vector>

namespace vexmoor::test {

// Keeps every message box that would have been shown, instead of blocking on a modal one.
class RecordingMessageBox final : public UserMessageBox {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
    };

    void show(const QString& text, const QString& title, Icon icon) override { shown.push_back({ text, title, icon }); }

    std::vector<Shown> shown;
};

} // namespace vexmoor::test
