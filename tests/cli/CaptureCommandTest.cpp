#include "cli/CaptureCommand.h"
#include "capture/FixedClock.h"
#include "serial/FakeSerialPort.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace {

using vexmoor::CaptureCommand;
using vexmoor::CommandLine;

std::string contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(unreadable)");
}

class CaptureCommandTest : public testing::Test {
protected:
    CaptureCommandTest()
    {
        options.mode = CommandLine::Mode::Capture;
        options.source = "/dev/ttyBOARD";
        options.seconds = 0.05;
        options.minimumId = "0";
        options.csvPath = folder.filePath(QStringLiteral("table.csv")).toStdString();
        port.pending.push_back("<680,1,2,>\r\n<1536,1,>\r\n<2048,1,>\r\n");
    }

    int run() { return CaptureCommand(out, err, clock, port).run(options); }

    QTemporaryDir folder;
    CommandLine::Options options;
    std::ostringstream out;
    std::ostringstream err;
    vexmoor::test::FixedClock clock;
    vexmoor::test::FakeSerialPort port;
};

TEST_F(CaptureCommandTest, LogsEveryFrameWhileItCapturesAndStillWritesTheTable)
{
    const QString log = folder.filePath(QStringLiteral("drive.log"));
    options.logPath = log.toStdString();

    EXPECT_EQ(run(), 0) << err.str();

    EXPECT_EQ(err.str(), "");
    const std::string lines = contentsOf(log);
    // The board's records arrive at the system clock's time; the rest of each line is fixed.
    ASSERT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    EXPECT_NE(lines.find(") board 2A8#0102\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find(") board 600#01\n"), std::string::npos) << lines;
    EXPECT_NE(contentsOf(QString::fromStdString(options.csvPath)).find("680"), std::string::npos);
}

TEST_F(CaptureCommandTest, ALogThatCannotBeOpenedIsOneLineAndStatus2BeforeAnythingIsRead)
{
    const QString log = folder.filePath(QStringLiteral("missing/drive.log"));
    options.logPath = log.toStdString();

    EXPECT_EQ(run(), 2);

    EXPECT_EQ(err.str(), "vexmoor: Start Logging: Cannot write " + log.toStdString() + ": No such file or directory\n");
    EXPECT_EQ(port.reads, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(options.csvPath)));
}

TEST_F(CaptureCommandTest, ALogThatFillsTheDiskIsReportedOnceTheTableIsWrittenAndTheStatusIs2)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full on this system";
    options.logPath = "/dev/full";

    EXPECT_EQ(run(), 2);

    EXPECT_EQ(err.str(),
              "vexmoor: Logging: Logging to /dev/full stopped: No space left on device. The capture goes on without a "
              "log.\n");
    EXPECT_NE(contentsOf(QString::fromStdString(options.csvPath)).find("680"), std::string::npos);
}

} // namespace
