#pragma once

#include "capture/FixedClock.h"
#include "capture/MessageNotesLog.h"

#include <optional>
#include <string>
#include <vector>

namespace vexmoor {

class MessageTable;

namespace test {

// A notes window log held as one string, as the window's text box holds it.
class StringNotesLog final : public MessageNotesLog {
public:
    bool shown = true;
    std::string text;

    bool isShown() const override { return shown; }
    bool contains(std::string_view part) const override { return text.find(part) != std::string::npos; }
    void appendLine(std::string_view line) override
    {
        text.append(line);
        text.append("\r\n");
    }
};

using TableRows = std::vector<std::vector<std::string>>;
TableRows rowsOf(const MessageTable& table);

// The bytes of a file in the shared test data, or nothing when the data is not beside the project.
std::optional<std::string> readTestData(const std::string& fileName);

} // namespace test
} // namespace vexmoor
