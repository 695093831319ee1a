#include "capture/record/TextSetting.h"

#include "capture/record/DecimalText.h"

namespace vexmoor {

TextSetting::TextSetting(std::string_view text)
{
    setText(text);
}

void TextSetting::setText(std::string_view text)
{
    m_text.assign(text);
    m_number = decimal::leadingNumber(m_text);
}

} // namespace vexmoor
