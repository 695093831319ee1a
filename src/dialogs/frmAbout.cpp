#include "dialogs/frmAbout.h"

#include "dialogs/InfoArtwork.h"
#include "dialogs/InfoTexts.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vexmoor {

namespace {

QFont tahoma(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    // Tahoma is rarely installed outside Windows; any plain sans-serif face reads as well.
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_label1(new QLabel(QStringLiteral("About"), this))
    , m_label2(new QLabel(QStringLiteral("Vexmoor developers, 2026"), this))
    , m_image1(new QLabel(this))
    , m_text1(new QPlainTextEdit(this))
    , m_picture1(new QLabel(this))
    , m_command1(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About CAN_Vexmoor"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_command1->setObjectName(QStringLiteral("Command1"));

    // Set on the window, the colours reach every label and the text box. A button draws with the
    // button roles, left alone, so Close keeps the look it has everywhere else in the program.
    setPalette(InfoArtwork::greenOnBlack(palette()));
    setAutoFillBackground(true);

    m_label1->setFont(tahoma(9.75, true));
    m_label2->setFont(tahoma(8.25, false));
    m_image1->setPixmap(InfoArtwork::aboutBanner());
    m_image1->setAlignment(Qt::AlignCenter);
    m_picture1->setPixmap(InfoArtwork::wiringPicture());
    m_picture1->setAlignment(Qt::AlignCenter);

    m_text1->setFont(tahoma(8.25, true));
    m_text1->setReadOnly(true);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The text box takes each CR LF as one line break, so the stored text goes in unchanged.
    m_text1->setPlainText(InfoTexts::helpText());

    placeControls();
    connect(m_command1, &QPushButton::clicked, this, &QWidget::close);
}

void frmAbout::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    m_label1->setGeometry(Twips::toPixels(120, 120, 1215, 255, dpi));
    m_label2->setGeometry(Twips::toPixels(120, 360, 3975, 375, dpi));
    m_image1->setGeometry(Twips::toPixels(3960, 120, 8775, 1605, dpi));
    m_text1->setGeometry(Twips::toPixels(120, 1920, 12615, 5175, dpi));
    m_picture1->setGeometry(Twips::toPixels(2280, 7560, 8175, 3615, dpi));
    m_command1->setGeometry(Twips::toPixels(11520, 11040, 1215, 495, dpi));
    setFixedSize(Twips::toPixels(12900, dpi), Twips::toPixels(11655, dpi));
}

} // namespace vexmoor
