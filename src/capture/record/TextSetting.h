#pragma once

#include <string>
#include <string_view>

namespace vexmoor {

// A setting that the user types as text and that the capture compares as a number: the minimum
// identifier and the auto-filter threshold. The text stays exactly as typed; its number is the one
// the text begins with (0 when none), read once when the text is set rather than at every record.
class TextSetting final {
public:
    explicit TextSetting(std::string_view text);

    const std::string& text() const { return m_text; }
    void setText(std::string_view text);

    double number() const { return m_number; }

private:
    std::string m_text;
    double m_number = 0.0;
};

} // namespace vexmoor
