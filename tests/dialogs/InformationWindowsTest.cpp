#include "dialogs/InfoTexts.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmSketch.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using vexmoor::frmAbout;
using vexmoor::frmSketch;
using vexmoor::InfoTexts;

QString withoutCarriageReturns(QString text)
{
    return text.remove(QLatin1Char('\r'));
}

bool endsEveryLineWithCrLf(const QString& text)
{
    const auto pairs = text.count(QStringLiteral("\r\n"));
    return pairs > 0 && pairs == text.count(QLatin1Char('\r')) && pairs == text.count(QLatin1Char('\n'));
}

// A label cut off at its edge hides part of what the user is meant to read.
void expectLabelShowsAllItsText(const QLabel& label)
{
    if (label.wordWrap()) {
        EXPECT_LE(label.heightForWidth(label.width()), label.height()) << label.objectName().toStdString();
    } else {
        EXPECT_LE(label.sizeHint().width(), label.width()) << label.objectName().toStdString();
        EXPECT_LE(label.sizeHint().height(), label.height()) << label.objectName().toStdString();
    }
}

void expectGreenOnBlackReadOnlyText(const QPlainTextEdit& text, const QString& shown)
{
    EXPECT_TRUE(text.isReadOnly());
    EXPECT_EQ(text.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(text.toPlainText(), shown);
    EXPECT_EQ(text.document()->blockCount(), shown.count(QLatin1Char('\n')) + 1) << "one line per stored line";
    EXPECT_EQ(text.palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(text.palette().color(QPalette::Text), QColor(0, 192, 0));
}

void expectCloseDeletesTheWindow(QPointer<QWidget> window)
{
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    // Closing only schedules the deletion; waiting runs the deferred deletes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
    delete window.data();
}

TEST(InformationTexts, HelpAndSketchAgreeOnTheBoardAndKeepCrLfLineEnds)
{
    const QString help = InfoTexts::helpText();
    qsizetype from = 0;
    for (const QString& line :
         { QStringLiteral("CAN-BUS Vexmoor Tool Information"), QStringLiteral("***"),
           QStringLiteral("Basic CAN-BUS Information to get you started."), QStringLiteral("More Information"),
           QStringLiteral("<CAN_ID,BIT1,BIT2,BIT3,BIT4,BIT5,BIT6,BIT7,BIT8>"),
           QStringLiteral("<680,1,16,255,23,0,0,0,0>"), QStringLiteral("IMPORTANT TO KNOW."),
           QStringLiteral("<680,1,16,0,0,0,0,0,0> = Swaybar disconnect button pressed.") }) {
        const qsizetype at = help.indexOf(line, from);
        EXPECT_GE(at, from) << line.toStdString() << " missing or out of order";
        from = std::max(from, at);
    }
    EXPECT_TRUE(help.startsWith(QStringLiteral("CAN-BUS Vexmoor Tool Information\r\n")));
    EXPECT_TRUE(help.contains(QStringLiteral("AS IS")));
    EXPECT_TRUE(help.contains(QStringLiteral("38400")));
    EXPECT_FALSE(help.contains(QStringLiteral("9600"))) << "the board talks at 38400 baud, nothing else";
    EXPECT_GE(help.size(), 3000);
    EXPECT_LE(help.size(), 4800);
    EXPECT_TRUE(endsEveryLineWithCrLf(help));

    const QString sketch = InfoTexts::sketchText();
    for (const QString& part :
         { QStringLiteral("#include <SPI.h>"), QStringLiteral("#include \"mcp_can.h\""),
           QStringLiteral("Serial.begin(38400);"), QStringLiteral("CAN_125KBPS"),
           QStringLiteral("\"CAN BUS Shield init ok!\""), QStringLiteral("\"CAN BUS Shield init fail\""),
           QStringLiteral("CAN_MSGAVAIL == CAN.checkReceive()"), QStringLiteral("CAN.readMsgBuf(&len, buf)"),
           QStringLiteral("CAN.getCanId()"), QStringLiteral("Serial.println(\">\")") })
        EXPECT_TRUE(sketch.contains(part)) << part.toStdString();
    EXPECT_FALSE(sketch.contains(QStringLiteral("9600")));
    EXPECT_TRUE(endsEveryLineWithCrLf(sketch));
}

TEST(frmAboutWindow, ShowsBannerHelpAndWiringGreenOnBlackAtAFixedSizeAndCloses)
{
    QPointer<frmAbout> window = new frmAbout;
    window->show();
    EXPECT_EQ(window->objectName(), QStringLiteral("frmAbout"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("About CAN_Vexmoor"));
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::black));

    for (const char* name : { "Label1", "Label2" }) {
        auto* label = window->findChild<QLabel*>(QLatin1String(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 192, 0)) << name;
        expectLabelShowsAllItsText(*label);
    }
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("About"));
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("Label2"))->text().contains(QStringLiteral("2026")));

    const struct {
        const char* name;
        QSize size;
    } pictures[] = { { "Image1", QSize(585, 107) }, { "Picture1", QSize(537, 238) } };
    for (const auto& picture : pictures) {
        auto* label = window->findChild<QLabel*>(QLatin1String(picture.name));
        ASSERT_NE(label, nullptr) << picture.name;
        EXPECT_EQ(label->pixmap().size(), picture.size) << picture.name;
        expectLabelShowsAllItsText(*label);
    }

    auto* text = window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    ASSERT_NE(text, nullptr);
    expectGreenOnBlackReadOnlyText(*text, withoutCarriageReturns(InfoTexts::helpText()));

    auto* close = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    for (const QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(window->rect().contains(control->geometry())) << control->objectName().toStdString();

    expectCloseDeletesTheWindow(window.data());
}

TEST(frmSketchWindow, ShowsTheBoardProgramUnderNotesThatAreNeverCutOffAndCloses)
{
    QPointer<frmSketch> window = new frmSketch;
    window->show();
    EXPECT_EQ(window->objectName(), QStringLiteral("frmSketch"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Arduino Sketch"));
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::black));

    auto* text = window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    auto* close = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(text, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    expectGreenOnBlackReadOnlyText(*text, withoutCarriageReturns(InfoTexts::sketchText()));

    // The notes stack top to bottom, each whole, and the source text starts below the last.
    int bottom = 0;
    for (const char* name : { "Label1", "Label2", "Label3" }) {
        auto* label = window->findChild<QLabel*>(QLatin1String(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 192, 0)) << name;
        expectLabelShowsAllItsText(*label);
        EXPECT_GE(label->y(), bottom) << name;
        bottom = label->geometry().bottom();
    }
    EXPECT_GT(text->y(), bottom);
    EXPECT_TRUE(
        window->findChild<QLabel*>(QStringLiteral("Label3"))->text().contains(QStringLiteral("<1,2,3,4,5,6,7,8,9,>")));

    // Enlarging the window gives the room to the source text and keeps Close in its corner.
    const QRect textBefore = text->geometry();
    const QPoint closeFromCorner = window->rect().bottomRight() - close->geometry().bottomRight();
    window->resize(window->size() + QSize(120, 80));
    EXPECT_EQ(text->geometry(), textBefore.adjusted(0, 0, 120, 80));
    EXPECT_EQ(window->rect().bottomRight() - close->geometry().bottomRight(), closeFromCorner);
    window->resize(window->size() - QSize(400, 400));
    EXPECT_EQ(text->geometry(), textBefore) << "the window never shrinks below its designed size";

    expectCloseDeletesTheWindow(window.data());
}

} // namespace
