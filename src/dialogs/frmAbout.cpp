#include "dialogs/frmAbout.h"

#include "dialogs/InfoArtwork.h"
#include "dialogs/InfoTexts.h"
#include "platform/DesignedFont.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vexmoor {

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_title(new QLabel(QStringLiteral("About"), this))
    , m_credit(new QLabel(QStringLiteral("Vexmoor developers, 2026"), this))
    , m_banner(new QLabel(this))
    , m_helpText(new QPlainTextEdit(this))
    , m_wiringPicture(new QLabel(this))
    , m_closeButton(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About CAN_Vexmoor"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_credit->setObjectName(QStringLiteral("Label2"));
    m_banner->setObjectName(QStringLiteral("Image1"));
    m_helpText->setObjectName(QStringLiteral("Text1"));
    m_wiringPicture->setObjectName(QStringLiteral("Picture1"));
    m_closeButton->setObjectName(QStringLiteral("Command1"));

    // Set on the window, the colours reach every label and the text box. A button draws with the
    // button roles, left alone, so Close keeps the look it has everywhere else in the program.
    setPalette(InfoArtwork::greenOnBlack(palette()));
    setAutoFillBackground(true);

    m_title->setFont(DesignedFont::tahoma(9.75, true));
    m_credit->setFont(DesignedFont::tahoma(8.25, false));
    m_banner->setPixmap(InfoArtwork::aboutBanner());
    m_banner->setAlignment(Qt::AlignCenter);
    m_wiringPicture->setPixmap(InfoArtwork::wiringPicture());
    m_wiringPicture->setAlignment(Qt::AlignCenter);

    m_helpText->setFont(DesignedFont::tahoma(8.25, true));
    m_helpText->setReadOnly(true);
    m_helpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_helpText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The text box takes each CR LF as one line break, so the stored text goes in unchanged.
    m_helpText->setPlainText(InfoTexts::helpText());

    placeControls();
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void frmAbout::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    m_title->setGeometry(Twips::toPixels(120, 120, 1215, 255, dpi));
    m_credit->setGeometry(Twips::toPixels(120, 360, 3975, 375, dpi));
    m_banner->setGeometry(Twips::toPixels(3960, 120, 8775, 1605, dpi));
    m_helpText->setGeometry(Twips::toPixels(120, 1920, 12615, 5175, dpi));
    m_wiringPicture->setGeometry(Twips::toPixels(2280, 7560, 8175, 3615, dpi));
    m_closeButton->setGeometry(Twips::toPixels(11520, 11040, 1215, 495, dpi));
    setFixedSize(Twips::toPixels(12900, dpi), Twips::toPixels(11655, dpi));
}

} // namespace vexmoor
