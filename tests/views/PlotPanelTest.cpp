#include "views/PlotPanel.h"

#include "app/FrameHistoryControls.h"
#include "app/frmMain.h"
#include "capture/CaptureTestSupport.h"
#include "capture/changes/FrameHistory.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/ranking/BitRanking.h"
#include "capture/record/CaptureSession.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using vexmoor::PlotPanel;
using vexmoor::PlotSignal;
using vexmoor::test::eventually;
using vexmoor::test::makeFrame;

constexpr std::int64_t kStartUs = 1'700'000'000'000'000;

template <typename Widget> Widget* child(QObject& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QList<QLineSeries*> linesOf(PlotPanel& panel)
{
    QList<QLineSeries*> lines;
    for (QAbstractSeries* series : panel.chart().series())
        lines.append(qobject_cast<QLineSeries*>(series));
    return lines;
}

class PlotPanelTest : public testing::Test {
protected:
    void send(std::int64_t afterUs, std::initializer_list<std::uint8_t> data, std::uint32_t id = 0x3E9)
    {
        session.ingestFrame(makeFrame(id, data, { .timestampUs = kStartUs + afterUs }), "can0");
    }
    QValueAxis& timeAxis() { return *qobject_cast<QValueAxis*>(panel.chart().axes(Qt::Horizontal).first()); }

    vexmoor::test::FixedClock clock;
    vexmoor::CaptureSession session { clock };
    vexmoor::test::FixedFramesClock framesClock { kStartUs };
    PlotPanel panel { session.plotted(), framesClock };
};

TEST_F(PlotPanelTest, AnAddedSignalShowsAsASeriesNamedByItsLabelAndThePanelComesUp)
{
    panel.addSignal(PlotSignal::ofBit(0x3E9, false, 2, 5));

    ASSERT_EQ(linesOf(panel).size(), 1);
    EXPECT_EQ(linesOf(panel).first()->name(), QStringLiteral("3E9 byte 2 bit 5"));
    EXPECT_EQ(child<QComboBox>(panel, "cmbPlotSeries")->currentText(), QStringLiteral("3E9 byte 2 bit 5"));
    EXPECT_TRUE(panel.isVisible());

    panel.addSignal(PlotSignal::ofBit(0x3E9, false, 2, 5));
    EXPECT_EQ(linesOf(panel).size(), 1);
    EXPECT_EQ(child<QLabel>(panel, "lblPlotMessage")->text(), QStringLiteral("That value is already plotted."));
}

// Values change at 0, 2 and 2.5 s; each holds as a flat line up to the next, drawn as a vertical edge.
TEST_F(PlotPanelTest, FramesThroughTheSessionBecomeStepsInSecondsSinceTheFirstValue)
{
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    send(0, { 1 });
    send(1'000'000, { 1 });
    send(2'000'000, { 3 });
    send(2'500'000, { 3 });
    send(2'600'000, { 9 }, 0x3EA);
    framesClock.nowAtUs = kStartUs + 3'000'000;
    panel.refresh();

    EXPECT_EQ(linesOf(panel).first()->points(), (QList<QPointF> { { 0, 1 }, { 2, 1 }, { 2, 3 }, { 2.5, 3 } }));
    EXPECT_EQ(timeAxis().min(), 0);
    EXPECT_EQ(timeAxis().max(), PlotPanel::kDefaultWindowSeconds);

    framesClock.nowAtUs = kStartUs + 100'000'000;
    panel.refresh();
    EXPECT_EQ(timeAxis().min(), 70) << "Follow shows the last 30 s";
    EXPECT_TRUE(linesOf(panel).first()->points().isEmpty()) << "nothing was seen after 2.5 s";
}

// With more than one value each keeps to a band of its own: a bit beside a byte stays readable.
TEST_F(PlotPanelTest, SeveralValuesEachKeepToABandOfTheirOwn)
{
    panel.addSignal(PlotSignal::ofBit(0x3E9, false, 0, 0));
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 1));
    send(0, { 0, 10 });
    send(1'000'000, { 1, 250 });
    send(2'000'000, { 0, 10 });
    panel.refresh();

    const QList<QLineSeries*> lines = linesOf(panel);
    ASSERT_EQ(lines.size(), 2);
    for (const QPointF& point : lines[0]->points())
        EXPECT_TRUE(point.y() >= 1 && point.y() <= 2) << point.y();
    for (const QPointF& point : lines[1]->points())
        EXPECT_TRUE(point.y() >= 0 && point.y() <= 1) << point.y();
    EXPECT_EQ(lines[1]->name(), QStringLiteral("3E9 byte 1 [10-250]"));
}

struct FormCase {
    const char* name;
    const char* identifier;
    int firstByte;
    int byteCount;
    int bitChoice; // 0: bytes, else bit + 1
    int orderChoice; // 0: big-endian
    const char* label; // empty: refused
    const char* message;
};

void PrintTo(const FormCase& form, std::ostream* out)
{
    *out << form.name;
}

class PlotPanelFormTest : public PlotPanelTest, public testing::WithParamInterface<FormCase> { };

TEST_P(PlotPanelFormTest, AddsWhatTheFormDescribesOrSaysWhyNot)
{
    const FormCase& form = GetParam();
    QTest::keyClicks(child<QLineEdit>(panel, "txtPlotId"), QString::fromLatin1(form.identifier));
    child<QSpinBox>(panel, "spnPlotByte")->setValue(form.firstByte);
    child<QSpinBox>(panel, "spnPlotCount")->setValue(form.byteCount);
    child<QComboBox>(panel, "cmbPlotBit")->setCurrentIndex(form.bitChoice);
    child<QComboBox>(panel, "cmbPlotOrder")->setCurrentIndex(form.orderChoice);
    QTest::mouseClick(child<QPushButton>(panel, "btnPlotAdd"), Qt::LeftButton);

    const std::string label = form.label;
    ASSERT_EQ(linesOf(panel).size(), label.empty() ? 0 : 1);
    if (!label.empty()) {
        EXPECT_EQ(linesOf(panel).first()->name().toStdString(), label);
    }
    EXPECT_EQ(child<QLabel>(panel, "lblPlotMessage")->text().toStdString(), form.message);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PlotPanelFormTest,
    testing::Values(FormCase { "OneByte", "3e9", 4, 1, 0, 0, "3E9 byte 4", "" },
                    FormCase { "LittleEndianBytes", "3E9", 1, 2, 0, 1, "3E9 bytes 1-2 (little-endian)", "" },
                    FormCase { "ABit", " 3E9 ", 2, 1, 6, 0, "3E9 byte 2 bit 5", "" },
                    FormCase { "PastSevenFFIsExtended", "18DAF110", 0, 1, 0, 0, "18DAF110 byte 0", "" },
                    FormCase { "EightDigitsAreExtended", "000003E9", 0, 1, 1, 0, "000003E9 byte 0 bit 0", "" },
                    FormCase { "ABitIgnoresTheCount", "3E9", 7, 8, 8, 0, "3E9 byte 7 bit 7", "" },
                    FormCase { "Empty", "", 0, 1, 0, 0, "",
                               "Type the identifier in hexadecimal, as the table shows it (e.g. 3E9)." },
                    FormCase { "NotHex", "3G9", 0, 1, 0, 0, "",
                               "\"3G9\" is no hexadecimal identifier of at most 8 digits." },
                    FormCase { "PastTwentyNineBits", "3FFFFFFF", 0, 1, 0, 0, "",
                               "3FFFFFFF is past the largest extended identifier, 1FFFFFFF." },
                    FormCase { "BytesPastTheEnd", "3E9", 62, 3, 0, 0, "",
                               "Bytes 62-64 run past the last byte of a CAN FD frame, 63." }),
    [](const testing::TestParamInfo<FormCase>& param) { return std::string(param.param.name); });

TEST_F(PlotPanelTest, RemoveTakesTheChosenSeriesAndClearTakesThemAll)
{
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 1));
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 2));
    child<QComboBox>(panel, "cmbPlotSeries")->setCurrentIndex(1);
    QTest::mouseClick(child<QPushButton>(panel, "btnPlotRemove"), Qt::LeftButton);

    ASSERT_EQ(linesOf(panel).size(), 2);
    EXPECT_EQ(linesOf(panel)[1]->name(), QStringLiteral("3E9 byte 2"));

    QTest::mouseClick(child<QPushButton>(panel, "btnPlotClear"), Qt::LeftButton);
    EXPECT_TRUE(linesOf(panel).isEmpty());
    EXPECT_EQ(session.plotted().count(), 0U);
}

// A zoom by the wheel stops following the live end until Follow is pressed again; Fit shows everything.
TEST_F(PlotPanelTest, AZoomStopsFollowingUntilFollowIsPressedAndFitShowsTheWholeRecording)
{
    panel.resize(800, 400);
    panel.show();
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    send(0, { 1 });
    send(50'000'000, { 2 });
    framesClock.nowAtUs = kStartUs + 60'000'000;
    panel.refresh();
    auto* follow = child<QPushButton>(panel, "btnPlotFollow");
    ASSERT_TRUE(follow->isChecked());
    EXPECT_EQ(timeAxis().min(), 30);

    auto* view = child<QChartView>(panel, "chartPlot");
    const QPointF centre = view->chart()->plotArea().center();
    QWheelEvent wheel(centre, view->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_FALSE(follow->isChecked());
    const double zoomedWidth = timeAxis().max() - timeAxis().min();
    EXPECT_LT(zoomedWidth, 30);
    framesClock.nowAtUs += 10'000'000;
    panel.refresh();
    EXPECT_DOUBLE_EQ(timeAxis().max() - timeAxis().min(), zoomedWidth) << "the zoom stays while time goes on";

    QTest::mouseClick(follow, Qt::LeftButton);
    EXPECT_TRUE(follow->isChecked());
    EXPECT_EQ(timeAxis().min(), 40);

    QTest::mouseClick(child<QPushButton>(panel, "btnPlotFit"), Qt::LeftButton);
    EXPECT_FALSE(follow->isChecked());
    EXPECT_EQ(timeAxis().min(), 0);
    EXPECT_EQ(timeAxis().max(), 50);
}

TEST_F(PlotPanelTest, PointsDroppedFromTheRingAreCounted)
{
    vexmoor::SignalRecorder small(3);
    const vexmoor::test::FixedFramesClock start { kStartUs };
    PlotPanel smallPanel(small, start);
    ASSERT_EQ(small.add(PlotSignal::ofBytes(0x3E9, false, 0)), vexmoor::SignalRecorder::AddOutcome::Added);
    for (std::uint8_t value = 0; value < 5; ++value)
        small.observe(makeFrame(0x3E9, { value }, { .timestampUs = kStartUs + value }));
    smallPanel.refresh();
    EXPECT_EQ(child<QLabel>(smallPanel, "lblPlotDropped")->text(),
              QStringLiteral("2 oldest changes dropped: each value keeps its latest 3."));
}

// A history that had to let its oldest frames go says where it begins, on the plot's own time.
TEST_F(PlotPanelTest, SaysWhereTheFrameHistoryBeginsOnceItLostItsStart)
{
    panel.showHistoryOf(session.history());
    session.history().setLimitBytes(vexmoor::FrameHistory::kMinLimitBytes);
    send(0, { 1 });
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    panel.refresh();
    EXPECT_TRUE(child<QLabel>(panel, "lblPlotDropped")->isHidden());

    for (std::int64_t frame = 1; session.history().framesDropped() == 0; ++frame)
        send(frame * 1'000, { 2, 3, 4, 5, 6, 7, 8, 9 }, 0x100);
    framesClock.nowAtUs += 1'000;
    panel.refresh();
    const QString expected = QStringLiteral("The frame history begins at %1 s")
                                 .arg(static_cast<double>(*session.history().earliestUs() - kStartUs) / 1e6, 0, 'f', 1);
    EXPECT_TRUE(child<QLabel>(panel, "lblPlotDropped")->text().startsWith(expected))
        << child<QLabel>(panel, "lblPlotDropped")->text().toStdString();
}

class PlotInMainWindowTest : public testing::Test {
protected:
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::frmMain window { messageBox, port, clock };
};

TEST_F(PlotInMainWindowTest, TheViewMenuShowsThePanelAndClearAllDataEmptiesIt)
{
    auto* panel = window.findChild<PlotPanel*>(QStringLiteral("dockPlot"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(window.dockWidgetArea(panel), Qt::BottomDockWidgetArea);
    window.show();
    EXPECT_FALSE(panel->isVisible());
    QMenu* view = window.findChild<QMenu*>(QStringLiteral("MnuView"));
    QAction* toggle = window.findChild<QAction*>(QStringLiteral("mnuViewPlot"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(view->actions().contains(toggle));
    EXPECT_EQ(toggle->text(), QStringLiteral("Plot"));
    toggle->trigger();
    EXPECT_TRUE(panel->isVisible());

    const vexmoor::test::FixedFramesClock later { kStartUs + 1'000'000 };
    panel->setClock(later);
    panel->addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    window.session().ingestFrame(makeFrame(0x3E9, { 4 }, { .timestampUs = kStartUs }), "can0");
    window.session().ingestFrame(makeFrame(0x3E9, { 5 }, { .timestampUs = kStartUs + 500'000 }), "can0");
    panel->refresh();
    ASSERT_EQ(linesOf(*panel).size(), 1);
    EXPECT_EQ(linesOf(*panel).first()->count(), 3);

    window.findChild<QAction*>(QStringLiteral("MnuToolsClear"))->trigger();
    panel->refresh();
    EXPECT_EQ(linesOf(*panel).first()->count(), 0);
    EXPECT_EQ(linesOf(*panel).size(), 1) << "the chosen values stay";
    EXPECT_EQ(window.session().history().framesKept(), 0U) << "the history goes with the table";
}

// The limit is asked in megabytes, taken within its bounds, and kept for the next run.
TEST_F(PlotInMainWindowTest, FrameHistoryLimitSetsTheHistorysMemoryAndIsRemembered)
{
    auto* controls = window.findChild<vexmoor::FrameHistoryControls*>();
    ASSERT_NE(controls, nullptr);
    QAction* limit = window.findChild<QAction*>(QStringLiteral("mnuViewFrameHistoryLimit"));
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(window.session().history().limitBytes(), vexmoor::FrameHistory::kDefaultLimitBytes);
    const std::vector<std::pair<int, int>> answers { { 0, 200 }, { 64, 64 } }; // 0 MB is refused
    for (const auto& [answer, expectedMegabytes] : answers) {
        controls->setLimitAsker([answer = answer](int) { return std::optional<int>(answer); });
        limit->trigger();
        EXPECT_EQ(window.session().history().limitBytes(), std::size_t(expectedMegabytes) << 20) << answer;
    }
    vexmoor::test::FixedClock otherClock;
    vexmoor::frmMain next { messageBox, port, otherClock };
    EXPECT_EQ(next.session().history().limitBytes(), std::size_t { 64 } << 20);
    QSettings().remove(QStringLiteral("frameHistory/limitMB"));
}

} // namespace

namespace {

QLineSeries* markLine(PlotPanel& panel, int number)
{
    for (QLineSeries* line : linesOf(panel)) {
        if (line->name() == QStringLiteral("Mark %1").arg(number))
            return line;
    }
    return nullptr;
}

// Marks stand across the plot at their time on its axis, numbered as in the marks' list, and follow
// the ranking as it changes.
TEST_F(PlotPanelTest, EachMarkIsADashedNumberedLineAtItsTime)
{
    panel.showMarksOf(session.ranking());
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    send(1'000'000, { 1 });
    send(5'000'000, { 7 });
    session.ranking().addMark(kStartUs + 3'500'000);
    session.ranking().addMark(kStartUs + 200'000'000);
    framesClock.nowAtUs = kStartUs + 6'000'000;
    panel.refresh();

    QLineSeries* first = markLine(panel, 1);
    ASSERT_NE(first, nullptr);
    const QValueAxis& values = *qobject_cast<QValueAxis*>(panel.chart().axes(Qt::Vertical).first());
    EXPECT_EQ(first->points(), (QList<QPointF> { { 2.5, values.min() }, { 2.5, values.max() } }))
        << "seconds since the first value, 1 s in";
    EXPECT_EQ(first->pen().style(), Qt::DashLine);
    EXPECT_EQ(first->pointLabelsFormat(), QStringLiteral("1"));
    EXPECT_FALSE(panel.chart().legend()->markers(first).first()->isVisible());
    ASSERT_NE(markLine(panel, 2), nullptr);
    EXPECT_TRUE(markLine(panel, 2)->points().isEmpty()) << "a mark past the shown range is not drawn";
    EXPECT_EQ(linesOf(panel).first()->name(), QStringLiteral("3E9 byte 0")) << "the value keeps its place";

    session.ranking().clear();
    panel.refresh();
    EXPECT_EQ(markLine(panel, 1), nullptr);
}

TEST_F(PlotPanelTest, MarkHereAsksForAMarkAtTheTimeUnderThePointer)
{
    panel.resize(800, 400);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    auto* view = child<QChartView>(panel, "chartPlot");
    QSignalSpy requested(&panel, &PlotPanel::markRequested);

    QMenu* before = panel.openMenuAt(view->rect().center());
    EXPECT_FALSE(child<QAction>(*before, "mnuPlotMarkHere")->isEnabled()) << "no value yet, no time to count from";
    before->close();

    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    send(0, { 1 });
    framesClock.nowAtUs = kStartUs + 10'000'000;
    panel.refresh();
    const QPointF atTwelve = panel.chart().mapToPosition(QPointF(12, 1), linesOf(panel).first());
    const QPoint position = view->mapFromScene(panel.chart().mapToScene(atTwelve));
    QMenu* menu = panel.openMenuAt(position);
    ASSERT_EQ(menu->objectName(), QStringLiteral("menuPlotChart"));
    child<QAction>(*menu, "mnuPlotMarkHere")->trigger();

    ASSERT_EQ(requested.count(), 1);
    const double secondsPerPixel = (timeAxis().max() - timeAxis().min()) / panel.chart().plotArea().width();
    const auto timeUs = requested.first().first().value<std::int64_t>();
    EXPECT_NEAR(static_cast<double>(timeUs - kStartUs) / 1e6, 12, secondsPerPixel);
    EXPECT_NE(child<QAction>(*menu, "mnuPlotZoomOut"), nullptr);
}

// A right click opens the menu rather than zooming out at once, and nothing moves until the user
// chooses.
TEST_F(PlotPanelTest, ARightClickOnTheChartOpensItsMenu)
{
    panel.resize(800, 400);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    auto* view = child<QChartView>(panel, "chartPlot");
    panel.addSignal(PlotSignal::ofBytes(0x3E9, false, 0));
    send(0, { 1 });
    panel.refresh();
    const QPointF range(timeAxis().min(), timeAxis().max());

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->rect().center());

    auto* menu = panel.findChild<QMenu*>(QStringLiteral("menuPlotChart"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(eventually([&] { return menu->isVisible(); }));
    EXPECT_EQ(QPointF(timeAxis().min(), timeAxis().max()), range);
    child<QAction>(*menu, "mnuPlotZoomOut")->trigger();
    EXPECT_GT(timeAxis().max() - timeAxis().min(), range.y() - range.x());
    EXPECT_FALSE(child<QPushButton>(panel, "btnPlotFollow")->isChecked());
    menu->close();
}

} // namespace
