#include "sources/LogWriter.h"
#include "capture/CaptureTestSupport.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "emulation/ConstantRandom.h"
#include "platform/RecordingMessageBox.h"
#include "platform/Timer.h"
#include "serial/FakeSerialPort.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using vexmoor::CaptureController;
using vexmoor::LogWriter;
using vexmoor::test::makeFrame;

std::string contentsOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll().toStdString();
}

class LogWriterTest : public testing::Test {
protected:
    LogWriterTest()
    {
        controller.logWriter().setArrivalClock([this] { return m_arrival += 250; });
        controller.setRandomSource(random);
        controller.session().txtMinID().setText("0");
    }

    vexmoor::CaptureSession& session() { return controller.session(); }
    QTimer* flushTimer() { return controller.findChild<QTimer*>(QStringLiteral("logFlushTimer")); }
    void tickFlushTimer() { QMetaObject::invokeMethod(flushTimer(), "timeout"); }
    // A device that refuses every write, in the test's folder; empty where devices cannot be made.
    QString fullDevice()
    {
        const QString path = folder.filePath(QStringLiteral("full"));
        return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? path : QString();
    }

    QTemporaryDir folder;
    QString logPath = folder.filePath(QStringLiteral("capture.log"));
    vexmoor::test::RecordingMessageBox messageBox;
    vexmoor::test::FakeSerialPort port;
    vexmoor::test::FixedClock clock;
    vexmoor::test::ConstantRandom random { 0.0 };
    CaptureController controller { port, clock, CaptureController::Upkeep::Off };
    vexmoor::CaptureMessageBoxes messages { controller, messageBox };

private:
    std::int64_t m_arrival = 1'700'000'000'000'000;
};

TEST_F(LogWriterTest, BoardAndEmulatorRecordsAreLoggedOnTheBoardInterfaceAtTheirArrival)
{
    ASSERT_TRUE(controller.connectToCom());
    ASSERT_TRUE(controller.startLogging(logPath));

    port.pending.push_back("<680,1,16,255,23,0,0,0,0,>\r\n<681,>\r\n");
    emit controller.pollTimer().tick();
    controller.sendUnimplemented();
    controller.setEmulation(true);
    emit controller.emulationTimer().tick();
    // Two slots of the interior emulator are still empty: no records, so nothing is missing.
    controller.emulatorSlots().txtemuESP = "<880,1,2,>";
    emit controller.interiorEmulatorTimer().tick();
    controller.stopLogging();

    EXPECT_EQ(contentsOf(logPath),
              "(1700000000.000250) board 2A8#0110FF1700000000\n"
              "(1700000000.000500) board 2A9#\n"
              "(1700000000.000750) board 600#019B000000000000\n"
              "(1700000000.001000) board 5DC#012C010101010101\n"
              "(1700000000.001250) board 370#0102\n");
    EXPECT_EQ(controller.framesLogged(), 5u);
    EXPECT_EQ(controller.recordsNotLogged(), 0u);
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(LogWriterTest, AFrameFromASourceThatKnowsItKeepsItsInterfaceAndTime)
{
    ASSERT_TRUE(controller.startLogging(logPath));

    session().ingestFrame(
        makeFrame(0x18DA10F1, { 0x02, 0x10 }, { .extended = true, .timestampUs = 1'742'339'025'086'274 }), "can1");
    session().ingestFrame(makeFrame(0x7DF, {}, { .remote = true, .timestampUs = 1'742'339'025'086'300 }), "vcan0");
    controller.stopLogging();

    EXPECT_EQ(contentsOf(logPath),
              "(1742339025.086274) can1 18DA10F1#0210\n"
              "(1742339025.086300) vcan0 7DF#R\n");
}

TEST_F(LogWriterTest, ARecordThatIsNoCanFrameIsCountedAndNotWritten)
{
    ASSERT_TRUE(controller.startLogging(logPath));

    for (const char* record :
         { "<680,1,>", "<2048,1,>", "<680,256,>", "<680,1,2,3,4,5,6,7,8,9,>", "<680,x,>", "<,1,>", "<681,2,>" })
        session().ingest(record);
    controller.stopLogging();

    EXPECT_EQ(contentsOf(logPath),
              "(1700000000.000250) board 2A8#01\n"
              "(1700000000.000500) board 2A9#02\n");
    EXPECT_EQ(controller.framesLogged(), 2u);
    EXPECT_EQ(controller.recordsNotLogged(), 5u);
}

TEST_F(LogWriterTest, TheFlushTimerWritesWholeLinesAndReportsOnlyCountsThatMoved)
{
    QSignalSpy changes(&controller, &CaptureController::loggingChanged);
    ASSERT_TRUE(controller.startLogging(logPath));
    ASSERT_NE(flushTimer(), nullptr);
    EXPECT_TRUE(flushTimer()->isActive());
    EXPECT_LE(flushTimer()->interval(), 1000);
    EXPECT_EQ(changes.count(), 1);

    session().ingest("<680,1,>");
    session().ingest("<681,2,>");
    EXPECT_EQ(contentsOf(logPath), "") << "nothing waits for the disk between flushes";
    tickFlushTimer();
    EXPECT_EQ(contentsOf(logPath),
              "(1700000000.000250) board 2A8#01\n"
              "(1700000000.000500) board 2A9#02\n");
    EXPECT_EQ(changes.count(), 2);

    tickFlushTimer();
    EXPECT_EQ(changes.count(), 2) << "nothing new, nothing to report";
    session().ingest("<2048,1,>");
    tickFlushTimer();
    EXPECT_EQ(changes.count(), 3) << "a record not logged is news too";

    session().ingest("<682,3,>");
    controller.stopLogging();
    EXPECT_FALSE(flushTimer()->isActive());
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(contentsOf(logPath),
              "(1700000000.000250) board 2A8#01\n"
              "(1700000000.000500) board 2A9#02\n"
              "(1700000000.000750) board 2AA#03\n");

    // After the stop nothing reaches the file, and the table goes on as before.
    const int rows = session().table().rowCount();
    session().ingest("<683,4,>");
    tickFlushTimer();
    EXPECT_EQ(contentsOf(logPath).size(), 99u);
    EXPECT_EQ(session().table().rowCount(), rows + 1);
}

TEST_F(LogWriterTest, StartingAgainEmptiesTheFileAndCountsAfresh)
{
    ASSERT_TRUE(controller.startLogging(logPath));
    session().ingest("<680,1,>");
    session().ingest("<2048,1,>");
    QString second = folder.filePath(QStringLiteral("second.log"));
    ASSERT_TRUE(controller.startLogging(second)) << "the running log is finished first";
    EXPECT_EQ(contentsOf(logPath), "(1700000000.000250) board 2A8#01\n");
    EXPECT_EQ(controller.loggingPath(), second);
    EXPECT_EQ(controller.framesLogged(), 0u);
    EXPECT_EQ(controller.recordsNotLogged(), 0u);
    controller.stopLogging();

    ASSERT_TRUE(controller.startLogging(logPath));
    session().ingest("<681,2,>");
    controller.stopLogging();
    EXPECT_EQ(contentsOf(logPath), "(1700000000.000500) board 2A9#02\n");
}

TEST_F(LogWriterTest, AFileThatCannotBeOpenedIsShownWithItsReasonAndNothingIsLogged)
{
    const QString path = folder.filePath(QStringLiteral("no-such-folder/capture.log"));

    EXPECT_FALSE(controller.startLogging(path));

    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].title, QStringLiteral("Start Logging"));
    EXPECT_EQ(messageBox.shown[0].icon, vexmoor::UserMessageBox::Icon::Error);
    EXPECT_TRUE(messageBox.shown[0].text.contains(path)) << messageBox.shown[0].text.toStdString();
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("No such file or directory")))
        << messageBox.shown[0].text.toStdString();
    EXPECT_FALSE(controller.isLogging());
    EXPECT_FALSE(flushTimer()->isActive());
    session().ingest("<680,1,>");
    EXPECT_EQ(session().table().rowCount(), 1);
    EXPECT_FALSE(QFile::exists(path));
}

// A full device, made in the test's folder (never the machine's own /dev/full, which a writer that
// replaced files would destroy), opens like any file and refuses every write with "No space left on
// device". It stays a device.
TEST_F(LogWriterTest, AWriteThatFailsStopsLoggingWithOneMessageAndTheCaptureGoesOn)
{
    const QString full = fullDevice();
    if (full.isEmpty())
        GTEST_SKIP() << "this machine does not allow making devices";
    QSignalSpy failures(&controller.logWriter(), &LogWriter::failed);
    ASSERT_TRUE(controller.startLogging(full));

    session().ingest("<680,1,>");
    tickFlushTimer();

    ASSERT_EQ(failures.count(), 1);
    EXPECT_FALSE(controller.isLogging());
    EXPECT_FALSE(flushTimer()->isActive());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].icon, vexmoor::UserMessageBox::Icon::Error);
    EXPECT_TRUE(messageBox.shown[0].text.contains(full));
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("No space left on device")))
        << messageBox.shown[0].text.toStdString();

    for (int frame = 0; frame < 3; ++frame)
        session().ingest("<" + std::to_string(681 + frame) + ",1,>");
    tickFlushTimer();
    controller.stopLogging();
    EXPECT_EQ(session().table().rowCount(), 4);
    EXPECT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(failures.count(), 1);
    EXPECT_TRUE(std::filesystem::is_character_file(full.toStdString()));
}

TEST_F(LogWriterTest, AWriteThatFailsAtTheStopIsReportedToo)
{
    const QString full = fullDevice();
    if (full.isEmpty())
        GTEST_SKIP() << "this machine does not allow making devices";
    ASSERT_TRUE(controller.startLogging(full));
    session().ingest("<680,1,>");

    controller.stopLogging();

    EXPECT_FALSE(controller.isLogging());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_TRUE(messageBox.shown[0].text.contains(QStringLiteral("No space left on device")));
}

TEST(LogWriterLifetimeTest, AWriterThatGoesAwayWritesTheRestAndReleasesTheSession)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("capture.log"));
    vexmoor::test::FixedClock clock;
    vexmoor::CaptureSession session(clock);
    {
        LogWriter writer(session);
        writer.setArrivalClock([] { return std::int64_t { 5'000'000 }; });
        ASSERT_EQ(writer.start(path), QString());
        session.ingest("<680,1,>");
    }
    session.ingest("<681,1,>");
    EXPECT_EQ(contentsOf(path), "(5.000000) board 2A8#01\n");
}

} // namespace
