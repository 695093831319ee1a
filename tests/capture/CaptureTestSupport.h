#pragma once

#include "capture/FixedClock.h"
#include "capture/FixedFramesClock.h"
#include "capture/record/CanFrame.h"
#include "capture/record/MessageNotesLog.h"

#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vexmoor {

// Lets gtest show a frame that differs as its fields rather than as raw bytes.
void PrintTo(const CanFrame& frame, std::ostream* out);

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

struct FrameFields {
    bool extended = false;
    bool remote = false;
    std::int64_t timestampUs = 0;
    bool fd = false;
    bool bitRateSwitch = false;
    bool errorStateIndicator = false;
};
CanFrame makeFrame(std::uint32_t id, std::initializer_list<std::uint8_t> data, FrameFields fields = {});

// The bytes of a file in the shared test data, or nothing when the data is not beside the project.
std::optional<std::string> readTestData(const std::string& fileName);

} // namespace test
} // namespace vexmoor
