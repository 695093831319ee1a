#include "dialogs/frmSketch.h"

#include "dialogs/InfoArtwork.h"
#include "dialogs/InfoTexts.h"
#include "platform/DesignedFont.h"
#include "platform/Twips.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace vexmoor {

namespace {

// The window's size as designed; it may be made larger, never smaller.
constexpr int kClientWidth = 11070;
constexpr int kClientHeight = 9585;
constexpr int kTextTop = 1440;
constexpr int kTextBottom = 9015;

// Places a word-wrapped label at its designed spot, taller when its text needs more lines than
// the design allowed for, and never over the label above it. Returns the label's bottom edge.
int placeLabel(QLabel& label, const QRect& designed, int belowY)
{
    const int top = std::max(designed.top(), belowY);
    const int height = std::max(designed.height(), label.heightForWidth(designed.width()));
    label.setGeometry(designed.left(), top, designed.width(), height);
    return top + height;
}

} // namespace

frmSketch::frmSketch(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_purpose(new QLabel(
          QStringLiteral("This Sketch is required in order to communicate CAN-BUS Data to the CAN-BUS Vexmoor"), this))
    , m_instruction(new QLabel(QStringLiteral("Please upload the below sketch to your Arduino+CAN-BUS Shield"), this))
    , m_note(new QLabel(QStringLiteral("Note! The below sketch is designed to work with an Arduino UNO R3 and the "
                                       "SeeedStudio CAN-BUS Shield. But you may use any device with Vexmoor as "
                                       "long as it can return data in the following format <1,2,3,4,5,6,7,8,9,> "
                                       "--> 1=CAN-ID the rest are messages broadcasted under CAN-ID"),
                        this))
    , m_sketchText(new QPlainTextEdit(this))
    , m_closeButton(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("frmSketch"));
    setWindowTitle(QStringLiteral("Arduino Sketch"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_purpose->setObjectName(QStringLiteral("Label1"));
    m_instruction->setObjectName(QStringLiteral("Label2"));
    m_note->setObjectName(QStringLiteral("Label3"));
    m_sketchText->setObjectName(QStringLiteral("Text1"));
    m_closeButton->setObjectName(QStringLiteral("Command1"));

    setPalette(InfoArtwork::greenOnBlack(palette()));
    setAutoFillBackground(true);

    m_purpose->setFont(DesignedFont::msSansSerif(13.5, true));
    m_instruction->setFont(DesignedFont::msSansSerif(8.25, true));
    m_note->setFont(DesignedFont::msSansSerif(8.25, false));
    // The notes are longer than their boxes with most fonts; wrapped, nothing is cut off.
    for (QLabel* label : { m_purpose, m_instruction, m_note }) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // "<1,2,...>" must stay literal text, never be taken for markup.
        label->setTextFormat(Qt::PlainText);
    }

    // Source code reads best in a fixed-pitch face, where the indentation lines up.
    QFont code = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    code.setPointSizeF(9);
    m_sketchText->setFont(code);
    m_sketchText->setReadOnly(true);
    m_sketchText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The text box takes each CR LF as one line break, so the stored text goes in unchanged.
    m_sketchText->setPlainText(InfoTexts::sketchText());

    const double dpi = Twips::logicalDpiOf(*this);
    const QSize designed(Twips::toPixels(kClientWidth, dpi), Twips::toPixels(kClientHeight, dpi));
    setMinimumSize(designed);
    resize(designed);
    placeControls();
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void frmSketch::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void frmSketch::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    // Whatever the window gains over its designed size goes to the source text; the button keeps
    // its distance from the bottom right corner.
    const int extraWidth = std::max(0, width() - Twips::toPixels(kClientWidth, dpi));
    const int extraHeight = std::max(0, height() - Twips::toPixels(kClientHeight, dpi));

    int bottom = placeLabel(*m_purpose, Twips::toPixels(120, 120, 8895, 375, dpi), 0);
    bottom = placeLabel(*m_instruction, Twips::toPixels(120, 480, 8895, 375, dpi), bottom);
    bottom = placeLabel(*m_note, Twips::toPixels(120, 840, 10695, 375, dpi), bottom);

    const int textTop = std::max(Twips::toPixels(kTextTop, dpi), bottom + Twips::toPixels(60, dpi));
    const int textBottom = Twips::toPixels(kTextBottom, dpi) + extraHeight;
    m_sketchText->setGeometry(Twips::toPixels(120, dpi), textTop, Twips::toPixels(10815, dpi) + extraWidth,
                              textBottom - textTop);
    m_closeButton->setGeometry(Twips::toPixels(9720, 9120, 1215, 375, dpi).translated(extraWidth, extraHeight));
}

} // namespace vexmoor
