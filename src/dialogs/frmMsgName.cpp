#include "dialogs/frmMsgName.h"

#include "capture/record/IgnoreList.h"
#include "capture/record/MessageTable.h"
#include "capture/record/Windows1252.h"
#include "dialogs/NotesFile.h"
#include "platform/CaptionFit.h"
#include "platform/CodePageText.h"
#include "platform/DesignedFont.h"
#include "platform/Twips.h"
#include "platform/UserMessageBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdint>

namespace vexmoor {

namespace {

// The log keeps one record a line; a line end inside a record reads as one line break there too.
QString asLogText(std::string_view record)
{
    return CodePageText::toQString(record).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmMsgName::frmMsgName(MessageTable& table, IgnoreList& messageIgnoreList, IgnoreList& idIgnoreList,
                       UserMessageBox& messageBox, std::filesystem::path notesFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_table(table)
    , m_messageIgnoreList(messageIgnoreList)
    , m_idIgnoreList(idIgnoreList)
    , m_messageBox(messageBox)
    , m_notesFolder(std::move(notesFolder))
    , m_nameHeading(new QLabel(QStringLiteral("Give this message a name"), this))
    , m_messageLabel(new QLabel(QStringLiteral("Label2"), this))
    , m_positionLabel(new QLabel(QStringLiteral("Line ID:"), this))
    , m_canIdLabel(new QLabel(QStringLiteral("Label4"), this))
    , m_canIdHeading(new QLabel(QStringLiteral("Msg ID:"), this))
    , m_nameBox(new QLineEdit(this))
    , m_saveButton(new QPushButton(QStringLiteral("&Save"), this))
    , m_closeButton(new QPushButton(QStringLiteral("&Close"), this))
    , m_ignoreMessageButton(new QPushButton(QStringLiteral("Alays Ignore this message"), this))
    , m_ignoreIdButton(new QPushButton(QStringLiteral("Ignore this ID"), this))
    , m_saveNameButton(new QPushButton(QStringLiteral("Save Name"), this))
    , m_messageLog(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmMsgName"));
    setWindowTitle(QStringLiteral("Message Notes"));
    setAttribute(Qt::WA_DeleteOnClose);
    const std::pair<QWidget*, const char*> names[]
        = { { m_nameHeading, "Label1" },      { m_messageLabel, "Label2" },     { m_positionLabel, "Label3" },
            { m_canIdLabel, "Label4" },       { m_canIdHeading, "Label5" },     { m_nameBox, "Text1" },
            { m_saveButton, "Command1" },     { m_closeButton, "Command2" },    { m_ignoreMessageButton, "Command3" },
            { m_ignoreIdButton, "Command4" }, { m_saveNameButton, "Command5" }, { m_messageLog, "Text2" } };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    for (QLabel* label : { m_nameHeading, m_canIdLabel, m_canIdHeading })
        label->setFont(DesignedFont::tahoma(8.25, true));
    m_messageLabel->setFont(DesignedFont::tahoma(11.25, true));
    m_positionLabel->setFont(DesignedFont::msSansSerif(8.25, true));
    m_nameBox->setFont(DesignedFont::tahoma(9, false));
    m_messageLog->setFont(DesignedFont::tahoma(6.75, false));
    QPalette logColours = m_messageLog->palette();
    logColours.setColor(QPalette::Base, Qt::black);
    logColours.setColor(QPalette::Text, Qt::white);
    m_messageLog->setPalette(logColours);
    m_messageLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_messageLog->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_ignoreIdButton->setToolTip(
        QStringLiteral("ALERT!!! Will ignore ALL messages from this ID and will never show again."));
    m_ignoreMessageButton->setToolTip(QStringLiteral("Will ignore this speciffic message detected in the BUS"));
    m_saveButton->setToolTip(QStringLiteral("Saves the data from the below textbox into a file named after the message "
                                            "in the Vexmoor Application directory."));
    placeControls();

    setTabOrder(m_nameBox, m_saveButton);
    setTabOrder(m_saveButton, m_closeButton);
    setTabOrder(m_closeButton, m_ignoreMessageButton);
    setTabOrder(m_ignoreMessageButton, m_messageLog);
    setTabOrder(m_messageLog, m_ignoreIdButton);
    setTabOrder(m_ignoreIdButton, m_saveNameButton);
    m_nameBox->setFocus();

    connect(m_saveButton, &QPushButton::clicked, this, &frmMsgName::save);
    connect(m_closeButton, &QPushButton::clicked, this, &frmMsgName::close);
    connect(m_ignoreMessageButton, &QPushButton::clicked, this, &frmMsgName::ignoreMessage);
    connect(m_ignoreIdButton, &QPushButton::clicked, this, &frmMsgName::ignoreId);
    connect(m_saveNameButton, &QPushButton::clicked, this, &frmMsgName::saveName);
}

void frmMsgName::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    m_canIdHeading->setGeometry(Twips::toPixels(120, 120, 735, 255, dpi));
    m_canIdLabel->setGeometry(Twips::toPixels(960, 120, 855, 255, dpi));
    m_messageLabel->setGeometry(Twips::toPixels(120, 360, 5415, 375, dpi));
    m_nameHeading->setGeometry(Twips::toPixels(120, 720, 3495, 255, dpi));
    m_positionLabel->setGeometry(Twips::toPixels(4080, 720, 1815, 255, dpi));
    m_nameBox->setGeometry(Twips::toPixels(120, 1080, 4455, 405, dpi));
    m_saveNameButton->setGeometry(Twips::toPixels(4680, 1080, 1215, 375, dpi));
    m_ignoreMessageButton->setGeometry(Twips::toPixels(120, 1560, 2175, 495, dpi));
    m_ignoreIdButton->setGeometry(Twips::toPixels(2400, 1560, 1335, 495, dpi));
    m_saveButton->setGeometry(Twips::toPixels(3840, 1560, 975, 495, dpi));
    m_closeButton->setGeometry(Twips::toPixels(4920, 1560, 975, 495, dpi));
    m_messageLog->setGeometry(Twips::toPixels(120, 2280, 5775, 6735, dpi));
    resize(Twips::toPixels(6045, dpi), Twips::toPixels(9165, dpi));
    for (QPushButton* button :
         { m_saveButton, m_closeButton, m_ignoreMessageButton, m_ignoreIdButton, m_saveNameButton })
        CaptionFit::shrinkToFit(*button, button->text(), 10);
}

void frmMsgName::showRow(int position)
{
    if (!m_table.hasRow(position))
        return;
    m_message = m_table.cell(position, MessageColumn::Message);
    m_messageLabel->setText(CodePageText::toQString(m_message));
    m_canId = m_table.canId(position);
    m_canIdLabel->setText(CodePageText::toQString(m_canId));
    m_positionLabel->setText(QString::number(position));
    // The label shows the position; the actions take it as a 16-bit number, so a row beyond that
    // range is one no action can address.
    m_position = position <= INT16_MAX ? std::optional<int>(position) : std::nullopt;
}

bool frmMsgName::isShown() const
{
    return isVisible();
}

bool frmMsgName::contains(std::string_view text) const
{
    return m_messageLog->toPlainText().contains(asLogText(text));
}

void frmMsgName::appendLine(std::string_view text)
{
    QTextCursor end(m_messageLog->document());
    end.movePosition(QTextCursor::End);
    end.insertText(asLogText(text) + QLatin1Char('\n'));
}

std::optional<std::string> frmMsgName::nameInCodePage()
{
    // The notes file and the table hold single bytes of the code page; a character outside it is
    // refused rather than written as something else.
    std::string bytes;
    for (const char32_t codePoint : m_nameBox->text().toUcs4()) {
        const auto byte = windows1252::fromCodePoint(codePoint);
        if (!byte) {
            m_messageBox.show(
                QStringLiteral("The name holds the character %1 (U+%2), which a notes file cannot "
                               "hold. Please change the name.")
                    .arg(QString::fromUcs4(&codePoint, 1),
                         QStringLiteral("%1").arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0')).toUpper()),
                windowTitle(), UserMessageBox::Icon::Error);
            return std::nullopt;
        }
        bytes.push_back(*byte);
    }
    return bytes;
}

void frmMsgName::save()
{
    const auto name = nameInCodePage();
    if (!name)
        return;
    const QString reason = NotesFile::appendLine(m_notesFolder, m_message, *name);
    if (!reason.isEmpty()) {
        m_messageBox.show(QStringLiteral("The notes could not be saved to %1: %2")
                              .arg(QDir::toNativeSeparators(NotesFile::pathFor(m_notesFolder, m_message)), reason),
                          windowTitle(), UserMessageBox::Icon::Error);
        return;
    }
    close();
}

void frmMsgName::saveName()
{
    const auto position = m_position;
    if (!position || !m_table.hasRow(*position)) {
        m_messageBox.show(QStringLiteral("The row of this message is no longer in the table, so the name was not "
                                         "written. Double-click the row again."),
                          windowTitle(), UserMessageBox::Icon::Error);
        return;
    }
    const auto name = nameInCodePage();
    if (name)
        m_table.setCell(*position, MessageColumn::MessageName, *name);
}

void frmMsgName::ignoreId()
{
    const auto position = m_position;
    m_idIgnoreList.append(m_canId);
    if (position && m_table.hasRow(*position))
        m_table.removeRow(*position);
    close();
}

void frmMsgName::ignoreMessage()
{
    m_messageIgnoreList.append(m_message);
    close();
}

} // namespace vexmoor
