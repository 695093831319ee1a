#include "control/CaptureController.h"
#include "capture/CaptureTestSupport.h"
#include "control/CaptureMessageBoxes.h"
#include "control/TimersAtStart.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using vexmoor::CaptureController;
using vexmoor::MessageColumn;
using vexmoor::Timer;
using vexmoor::test::FakeSerialPort;

class CaptureControllerTest : public testing::Test {
protected:
    Timer* timer(const char* name) { return owner.findChild<Timer*>(QString::fromLatin1(name)); }
    vexmoor::CaptureSession& session() { return controller->session(); }

    // Stands for the main window: the timers must be found by name among its children.
    QObject owner;
    vexmoor::test::RecordingMessageBox messageBox;
    FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    CaptureController* controller = new CaptureController(port, clock, CaptureController::Upkeep::Run, &owner);
    vexmoor::CaptureMessageBoxes messages { *controller, messageBox };
};

TEST_F(CaptureControllerTest, ItsTimersAreFoundByNameUnderItsOwnerWithTheirIntervalsAndStates)
{
    vexmoor::test::expectTimersAsAtStart(owner);
    EXPECT_EQ(timer("Timer2"), &controller->pollTimer());
    EXPECT_EQ(timer("Timer3"), &controller->purgeTimer());
}

TEST_F(CaptureControllerTest, WithoutUpkeepTheRowsKeepTheirChangesAndConnectLeavesThePurgeOff)
{
    QObject headless;
    FakeSerialPort headlessPort;
    auto* capture = new CaptureController(headlessPort, clock, CaptureController::Upkeep::Off, &headless);
    auto& table = capture->session().table();
    capture->session().ingest("<680,1,>");
    capture->session().ingest("<680,2,>");
    table.setCell(1, MessageColumn::ChangeCount, "5000");

    auto* purge = headless.findChild<Timer*>(QStringLiteral("Timer3"));
    auto* reset = headless.findChild<Timer*>(QStringLiteral("Timer4"));
    EXPECT_FALSE(purge->isEnabled());
    EXPECT_FALSE(reset->isEnabled());
    emit purge->tick();
    emit reset->tick();
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(1, MessageColumn::Change), "Data Changed - <680,1,>");
    EXPECT_EQ(capture->session().List2().count(), 0);

    ASSERT_TRUE(capture->connectToCom());
    EXPECT_TRUE(capture->pollTimer().isEnabled());
    EXPECT_FALSE(purge->isEnabled());
}

TEST_F(CaptureControllerTest, ConnectStartsThePollAndLeavesThePurgeOnItsSchedule)
{
    QSignalSpy sources(controller, &CaptureController::sourceChanged);
    ASSERT_TRUE(controller->connectToCom());
    EXPECT_TRUE(timer("Timer2")->isEnabled());
    EXPECT_TRUE(timer("Timer3")->isEnabled());
    EXPECT_TRUE(controller->hasSource());
    ASSERT_EQ(sources.count(), 1);
    EXPECT_EQ(sources[0][0].toString(), QStringLiteral("Board on 4"));

    port.pending.push_back("<680,1,>\r\n");
    emit timer("Timer2")->tick();
    EXPECT_EQ(session().table().rowCount(), 1);

    // Connected again every few milliseconds, a purge timer that each connect restarted would never tick.
    Timer* purge = timer("Timer3");
    purge->setInterval(100);
    QSignalSpy purges(purge, &Timer::tick);
    QElapsedTimer elapsed;
    elapsed.start();
    while (purges.isEmpty() && elapsed.elapsed() < 5000) {
        controller->closeSource();
        ASSERT_TRUE(controller->connectToCom());
        QTest::qWait(5);
    }
    EXPECT_FALSE(purges.isEmpty());
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(CaptureControllerTest, AFailedConnectLeavesThePollOffAndNoSource)
{
    QSignalSpy sources(controller, &CaptureController::sourceChanged);
    port.refuseOpen = QStringLiteral("The port is busy.");

    EXPECT_FALSE(controller->connectToCom());

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, QStringLiteral("The port is busy."));
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Invalid Port"));
    EXPECT_FALSE(timer("Timer2")->isEnabled());
    EXPECT_TRUE(timer("Timer3")->isEnabled());
    EXPECT_FALSE(controller->hasSource());
    EXPECT_TRUE(controller->activeSourceDescription().isEmpty());
    EXPECT_EQ(sources.count(), 0);
}

TEST_F(CaptureControllerTest, ASecondConnectToTheOpenBoardKeepsItPolled)
{
    ASSERT_TRUE(controller->connectToCom());
    controller->connection().setPortText(QStringLiteral("5"));

    EXPECT_FALSE(controller->connectToCom());

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("already open")));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(timer("Timer2")->isEnabled());
    EXPECT_EQ(controller->activeSourceDescription(), QStringLiteral("Board on 4"));
}

struct DescriptionCase {
    const char* name;
    const char* portText;
    const char* deviceBeforeConnect; // what the port names once the number is set
    const char* description;
};

void PrintTo(const DescriptionCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SourceDescriptionTest : public CaptureControllerTest, public testing::WithParamInterface<DescriptionCase> { };

TEST_P(SourceDescriptionTest, NamesTheBoardByThePortAsTypedAndTheDeviceItStandsFor)
{
    EXPECT_TRUE(controller->activeSourceDescription().isEmpty());
    port.devicePath = QString::fromLatin1(GetParam().deviceBeforeConnect);
    controller->connection().setPortText(QString::fromLatin1(GetParam().portText));

    ASSERT_TRUE(controller->connectToCom());

    EXPECT_EQ(controller->activeSourceDescription(), QString::fromLatin1(GetParam().description));
}

INSTANTIATE_TEST_SUITE_P(Ports, SourceDescriptionTest,
                         testing::Values(DescriptionCase { "NumberOnly", "7", "", "Board on 7" },
                                         DescriptionCase { "NumberWithDevice", "4", "/dev/ttyUSB0",
                                                           "Board on 4 (/dev/ttyUSB0)" },
                                         DescriptionCase { "DevicePath", "/dev/ttyACM1", "", "Board on /dev/ttyACM1" }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(CaptureControllerTest, ClosingTheSourceStopsThePollReleasesThePortAndDropsItsUnfinishedRecord)
{
    ASSERT_TRUE(controller->connectToCom());
    port.pending.push_back("<680,1,");
    controller->pollNow();
    QSignalSpy sources(controller, &CaptureController::sourceChanged);

    controller->closeSource();

    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(timer("Timer2")->isEnabled());
    EXPECT_TRUE(timer("Timer3")->isEnabled());
    EXPECT_FALSE(controller->hasSource());
    ASSERT_EQ(sources.count(), 1);
    EXPECT_TRUE(sources[0][0].toString().isEmpty());
    controller->closeSource();
    EXPECT_EQ(sources.count(), 1);

    // The next stream starts in the middle of a record; it must not complete the one cut off above.
    ASSERT_TRUE(controller->connectToCom());
    port.pending.push_back("2,>\r\n<700,3,>\r\n");
    controller->pollNow();
    ASSERT_EQ(session().table().rowCount(), 1);
    EXPECT_EQ(session().table().cell(1, MessageColumn::Message), "<700,3,>");
}

TEST_F(CaptureControllerTest, AnOpenedLogReplacesTheBoardAndARefusedOneLeavesItConnected)
{
    QTemporaryDir directory;
    const QString notALog = directory.filePath(QStringLiteral("notes.txt"));
    const QString log = directory.filePath(QStringLiteral("drive.log"));
    for (const auto& [path, text] : { std::pair { notALog, "Engine on.\n" },
                                      std::pair { log, "(1.000000) can0 300#01\n(2.000000) can0 301#01" } }) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ASSERT_TRUE(controller->connectToCom());
    QSignalSpy counts(controller, &CaptureController::replayCountsChanged);

    EXPECT_FALSE(controller->openLog(notALog, vexmoor::LogReplay::Mode::AtOnce));
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Open Log"));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(timer("Timer2")->isEnabled());
    EXPECT_EQ(controller->activeSourceDescription(), QStringLiteral("Board on 4"));
    EXPECT_EQ(controller->replay(), nullptr);

    QSignalSpy closed(controller, &CaptureController::sourceClosed);
    ASSERT_TRUE(controller->openLog(log, vexmoor::LogReplay::Mode::AtOnce));
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).toString(), QStringLiteral("Board on 4"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(timer("Timer2")->isEnabled());
    EXPECT_EQ(controller->activeSourceDescription(), QStringLiteral("Log drive.log"));
    ASSERT_TRUE(vexmoor::test::eventually([&] { return controller->replay() == nullptr; }));
    EXPECT_EQ(session().table().rowCount(), 2);
    EXPECT_TRUE(controller->activeSourceDescription().isEmpty());
    ASSERT_FALSE(counts.isEmpty());
    ASSERT_TRUE(controller->replayCounts().has_value());
    EXPECT_EQ(controller->replayCounts()->frames, 2u);
    EXPECT_EQ(controller->replayCounts()->malformedLines, 0u);
    EXPECT_EQ(messageBox.shown.size(), 1u);
}

TEST_F(CaptureControllerTest, TheFramesClockIsTheWallClockButTheLogsOwnDuringAndAfterItsReplay)
{
    QTemporaryDir directory;
    const QString log = directory.filePath(QStringLiteral("drive.log"));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // The clock of the log steps back once: the replay's clock does not.
    file.write("(1.000000) can0 300#01\n(2.500000) can0 301#01\n(2.000000) can0 300#02\n");
    file.close();

    const vexmoor::test::FixedFramesClock wall { 1'700'000'000'000'000 };
    controller->setWallClock(wall);
    EXPECT_EQ(controller->framesNowUs(), wall.nowAtUs);

    ASSERT_TRUE(controller->openLog(log, vexmoor::LogReplay::Mode::AtOnce));
    EXPECT_EQ(controller->framesNowUs(), wall.nowAtUs) << "nothing replayed yet";
    ASSERT_TRUE(vexmoor::test::eventually([&] { return controller->replay() == nullptr; }));
    EXPECT_EQ(controller->framesNowUs(), 2'500'000) << "the table keeps the log's last moment";

    session().ingest("<700,1,>");
    EXPECT_EQ(controller->framesNowUs(), wall.nowAtUs) << "a new frame brings the wall clock back";
}

TEST_F(CaptureControllerTest, FramesPerSecondCountEveryFrameOfEverySourceOverTheTimeGiven)
{
    QSignalSpy rates(controller, &CaptureController::frameRateChanged);
    session().List1().append("<700,1,>");
    for (int frame = 0; frame < 20; ++frame)
        session().ingest("<680," + std::to_string(frame) + ",>");
    // Held back by the ignore list or the minimum identifier, a frame still came off the bus.
    session().ingest("<700,1,>");
    session().ingest("<16,1,>");
    // Not frames: an empty emulator slot and text without an identifier.
    session().ingest("");
    session().ingest("<,1,>");
    ASSERT_TRUE(controller->connectToCom());
    port.pending.push_back("<681,1,>\r\n<682,1,>\r\n");
    controller->pollNow();

    EXPECT_EQ(controller->framesIngested(), 24u);
    EXPECT_DOUBLE_EQ(controller->sampleFrameRate(500ms), 48.0);
    EXPECT_DOUBLE_EQ(controller->sampleFrameRate(2000ms), 0.0);
    controller->setEmulation(true);
    for (int tick = 0; tick < 5; ++tick)
        emit controller->emulationTimer().tick();
    EXPECT_DOUBLE_EQ(controller->sampleFrameRate(0ms), 0.0) << "no time passed: no new rate";
    EXPECT_DOUBLE_EQ(controller->sampleFrameRate(1000ms), 5.0);
    ASSERT_EQ(rates.count(), 4);
    EXPECT_DOUBLE_EQ(rates[3][0].toDouble(), 5.0);
}

TEST_F(CaptureControllerTest, TheFrameRateIsSampledAboutOnceASecond)
{
    QSignalSpy rates(controller, &CaptureController::frameRateChanged);
    session().ingest("<680,1,>");
    ASSERT_TRUE(rates.wait(5000));
    EXPECT_GT(controller->frameRate(), 0.0);
    EXPECT_LE(controller->frameRate(), 1.0 / 0.5) << "one frame over about a second";
}

} // namespace
