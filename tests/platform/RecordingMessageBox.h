#pragma once

#include "platform/UserMessageBox.h"

#include <optional>
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
    // Every question is recorded and answered with the answer set here, or with its default.
    bool askYesNo(const QString& text, const QString& title, bool defaultYes) override
    {
        asked.push_back({ text, title, Icon::None });
        return answer.value_or(defaultYes);
    }

    std::vector<Shown> shown;
    std::vector<Shown> asked;
    std::optional<bool> answer;
};

} // namespace vexmoor::test
