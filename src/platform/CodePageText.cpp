#include "platform/CodePageText.h"

#include "capture/record/Windows1252.h"

namespace vexmoor {

QString CodePageText::toQString(std::string_view windows1252)
{
    QString text;
    text.reserve(static_cast<qsizetype>(windows1252.size()));
    for (const char byte : windows1252)
        text.append(QChar(static_cast<char16_t>(windows1252::toCodePoint(static_cast<unsigned char>(byte)))));
    return text;
}

} // namespace vexmoor
