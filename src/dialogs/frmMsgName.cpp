#include "dialogs/frmMsgName.h"

#include "capture/DecimalText.h"
#include "capture/IgnoreList.h"
#include "capture/MessageTable.h"
#include "capture/Windows1252.h"
#include "dialogs/NotesFile.h"
#include "platform/CaptionFit.h"
#include "platform/CodePageText.h"
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

QFont tahoma(double points, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
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
    , m_label1(new QLabel(QStringLiteral("Give this message a name"), this))
    , m_label2(new QLabel(QStringLiteral("Label2"), this))
    , m_label3(new QLabel(QStringLiteral("Line ID:"), this))
    , m_label4(new QLabel(QStringLiteral("Label4"), this))
    , m_label5(new QLabel(QStringLiteral("Msg ID:"), this))
    , m_text1(new QLineEdit(this))
    , m_command1(new QPushButton(QStringLiteral("&Save"), this))
    , m_command2(new QPushButton(QStringLiteral("&Close"), this))
    , m_command3(new QPushButton(QStringLiteral("Alays Ignore this message"), this))
    , m_command4(new QPushButton(QStringLiteral("Ignore this ID"), this))
    , m_command5(new QPushButton(QStringLiteral("Save Name"), this))
    , m_text2(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmMsgName"));
    setWindowTitle(QStringLiteral("Message Notes"));
    setAttribute(Qt::WA_DeleteOnClose);
    const std::pair<QWidget*, const char*> names[]
        = { { m_label1, "Label1" },     { m_label2, "Label2" },     { m_label3, "Label3" },
            { m_label4, "Label4" },     { m_label5, "Label5" },     { m_text1, "Text1" },
            { m_command1, "Command1" }, { m_command2, "Command2" }, { m_command3, "Command3" },
            { m_command4, "Command4" }, { m_command5, "Command5" }, { m_text2, "Text2" } };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    for (QLabel* label : { m_label1, m_label4, m_label5 })
        label->setFont(tahoma(8.25, true));
    m_label2->setFont(tahoma(11.25, true));
    QFont sansSerif(QStringLiteral("MS Sans Serif"));
    sansSerif.setPointSizeF(8.25);
    sansSerif.setBold(true);
    m_label3->setFont(sansSerif);
    m_text1->setFont(tahoma(9, false));
    m_text2->setFont(tahoma(6.75, false));
    QPalette logColours = m_text2->palette();
    logColours.setColor(QPalette::Base, Qt::black);
    logColours.setColor(QPalette::Text, Qt::white);
    m_text2->setPalette(logColours);
    m_text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text2->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_command4->setToolTip(QStringLiteral("ALERT!!! Will ignore ALL messages from this ID and will never show again."));
    m_command3->setToolTip(QStringLiteral("Will ignore this speciffic message detected in the BUS"));
    m_command1->setToolTip(QStringLiteral("Saves the data from the below textbox into a file named after the message "
                                          "in the Vexmoor Application directory."));
    placeControls();

    setTabOrder(m_text1, m_command1);
    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_command3);
    setTabOrder(m_command3, m_text2);
    setTabOrder(m_text2, m_command4);
    setTabOrder(m_command4, m_command5);
    m_text1->setFocus();

    connect(m_command1, &QPushButton::clicked, this, &frmMsgName::save);
    connect(m_command2, &QPushButton::clicked, this, &frmMsgName::close);
    connect(m_command3, &QPushButton::clicked, this, &frmMsgName::ignoreMessage);
    connect(m_command4, &QPushButton::clicked, this, &frmMsgName::ignoreId);
    connect(m_command5, &QPushButton::clicked, this, &frmMsgName::saveName);
}

void frmMsgName::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    m_label5->setGeometry(Twips::toPixels(120, 120, 735, 255, dpi));
    m_label4->setGeometry(Twips::toPixels(960, 120, 855, 255, dpi));
    m_label2->setGeometry(Twips::toPixels(120, 360, 5415, 375, dpi));
    m_label1->setGeometry(Twips::toPixels(120, 720, 3495, 255, dpi));
    m_label3->setGeometry(Twips::toPixels(4080, 720, 1815, 255, dpi));
    m_text1->setGeometry(Twips::toPixels(120, 1080, 4455, 405, dpi));
    m_command5->setGeometry(Twips::toPixels(4680, 1080, 1215, 375, dpi));
    m_command3->setGeometry(Twips::toPixels(120, 1560, 2175, 495, dpi));
    m_command4->setGeometry(Twips::toPixels(2400, 1560, 1335, 495, dpi));
    m_command1->setGeometry(Twips::toPixels(3840, 1560, 975, 495, dpi));
    m_command2->setGeometry(Twips::toPixels(4920, 1560, 975, 495, dpi));
    m_text2->setGeometry(Twips::toPixels(120, 2280, 5775, 6735, dpi));
    resize(Twips::toPixels(6045, dpi), Twips::toPixels(9165, dpi));
    for (QPushButton* button : { m_command1, m_command2, m_command3, m_command4, m_command5 })
        CaptionFit::shrinkToFit(*button, button->text(), 10);
}

void frmMsgName::showRow(int position)
{
    if (!m_table.hasRow(position))
        return;
    m_message = m_table.cell(position, MessageColumn::Message);
    m_label2->setText(CodePageText::toQString(m_message));
    m_canId = m_table.canId(position);
    m_label4->setText(CodePageText::toQString(m_canId));
    m_label3->setText(QString::number(position));
}

bool frmMsgName::isShown() const
{
    return isVisible();
}

bool frmMsgName::contains(std::string_view text) const
{
    return m_text2->toPlainText().contains(asLogText(text));
}

void frmMsgName::appendLine(std::string_view text)
{
    QTextCursor end(m_text2->document());
    end.movePosition(QTextCursor::End);
    end.insertText(asLogText(text) + QLatin1Char('\n'));
}

std::optional<int> frmMsgName::shownPosition() const
{
    const auto position = decimal::readWholeNumberSetting(m_label3->text().toStdString(), INT16_MIN, INT16_MAX);
    if (position.status != decimal::WholeNumberSetting::Status::Valid)
        return std::nullopt;
    return static_cast<int>(position.value);
}

std::optional<std::string> frmMsgName::nameInCodePage()
{
    // The notes file and the table hold single bytes of the code page; a character outside it is
    // refused rather than written as something else.
    std::string bytes;
    for (const char32_t codePoint : m_text1->text().toUcs4()) {
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
    const auto position = shownPosition();
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
    const auto position = shownPosition();
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
