#include "sources/LogReplay.h"
#include "capture/CaptureTestSupport.h"
#include "capture/formats/LogReader.h"
#include "capture/record/CaptureSession.h"
#include "platform/Eventually.h"
#include "platform/ManualClock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono_literals;
using vexmoor::CanFrame;
using vexmoor::CaptureSession;
using vexmoor::LogFormat;
using vexmoor::LogReader;
using vexmoor::LogReplay;
using vexmoor::test::rowsOf;

// Every kind of candump line, from two interfaces, with a clock that jumps back and a last line
// without a line end.
const std::string kCandumpText = "(1.000000) can0 123#11\n"
                                 "(1.000100) can1 12345678#0102030405060708\r\n"
                                 "\n"
                                 "(1.000200) can0 123#R\n"
                                 "(1.000300) can0 123##1AABB\n"
                                 "garbage (1.0) can0 123#11\n"
                                 "(1.000500) can0 7FF#22\n"
                                 "(0.000001) can1 1FF#FF\n"
                                 "(1.000600) vcan0 2F7#01FD";

const std::string kGvretText = "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n"
                               "100,0x000001A5,false,Rx,0,2,01,02,\r\n"
                               "200,18DAF110,true,Tx,1,1,3E\r\n"
                               "not,a,frame\r\n"
                               "300,7DF,false,Rx,0,0\r\n";

const std::string kBoardText = "CAN BUS Shield init ok!\r\n<680,1,16,255,>\r\n<1000,2,>\r\nnoise<680,3,16,255,>\r\n<12";

class LogReplayTest : public testing::Test {
protected:
    QString writeFile(const char* name, const std::string& bytes)
    {
        const QString path = directory.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    void runToEnd(LogReplay& replay)
    {
        QSignalSpy finished(&replay, &LogReplay::finished);
        replay.start(LogReplay::Mode::AtOnce);
        ASSERT_TRUE(vexmoor::test::eventually([&] { return finished.count() > 0; }));
    }

    QTemporaryDir directory;
    vexmoor::test::FixedClock timeOfDay;
    CaptureSession session { timeOfDay };
    vexmoor::test::ManualClock clock;
};

// What the headless path makes of the same bytes: the whole text through a fresh session.
vexmoor::test::TableRows headlessRows(const std::string& bytes, LogFormat format, const std::string& interfaceName = {})
{
    vexmoor::test::FixedClock timeOfDay;
    CaptureSession expected(timeOfDay);
    if (format == LogFormat::BoardText) {
        expected.assembly().poll(bytes);
        return rowsOf(expected.table());
    }
    LogReader reader(format, interfaceName);
    const LogReader::FrameHandler ingest
        = [&](const CanFrame& frame, std::string_view name) { expected.ingestFrame(frame, name); };
    reader.feed(bytes, ingest);
    reader.finish(ingest);
    return rowsOf(expected.table());
}

struct AtOnceCase {
    const char* name;
    std::string text; // empty: the real capture
    LogFormat format;
    qint64 chunkBytes;
    std::uint64_t frames;
    std::uint64_t malformed;
};

void PrintTo(const AtOnceCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class AtOnceTest : public LogReplayTest, public testing::WithParamInterface<AtOnceCase> { };

TEST_P(AtOnceTest, FillsTheTableAsTheHeadlessPathDoesWithProgressToTheEnd)
{
    std::string text = GetParam().text;
    if (text.empty()) {
        const auto capture = vexmoor::test::readTestData("honda_civic_type_r_turnonanddrive.log");
        if (!capture)
            GTEST_SKIP() << "the shared test data is not beside the project";
        text = *capture;
    }
    const QString path = writeFile("log", text);
    LogReplay replay(session);
    replay.setChunkBytes(GetParam().chunkBytes);
    ASSERT_TRUE(replay.open(path)) << replay.errorString().toStdString();
    EXPECT_EQ(replay.format(), GetParam().format);
    QSignalSpy progress(&replay, &LogReplay::progressed);
    QSignalSpy finished(&replay, &LogReplay::finished);

    replay.start(LogReplay::Mode::AtOnce);
    EXPECT_EQ(session.table().rowCount(), 0) << "nothing before the event loop turns";
    ASSERT_TRUE(vexmoor::test::eventually([&] { return finished.count() > 0; }));

    EXPECT_EQ(rowsOf(session.table()), headlessRows(text, GetParam().format));
    EXPECT_GT(session.table().rowCount(), 0);
    EXPECT_EQ(replay.frames(), GetParam().frames);
    EXPECT_EQ(replay.malformedLines(), GetParam().malformed);
    ASSERT_GE(progress.count(), 1);
    const auto size = static_cast<qint64>(text.size());
    EXPECT_EQ(progress.last().at(0).toLongLong(), size);
    EXPECT_EQ(progress.last().at(1).toLongLong(), size);
    qint64 previous = 0;
    for (const auto& step : progress) {
        EXPECT_GE(step.at(0).toLongLong(), previous) << "progress never goes back";
        previous = step.at(0).toLongLong();
    }
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(replay.errorString().isEmpty());
    EXPECT_FALSE(session.assembly().isCarryingRecord()) << "the end of the stream drops its unfinished record";
}

INSTANTIATE_TEST_SUITE_P(
    Logs, AtOnceTest,
    testing::Values(AtOnceCase { "CandumpInPiecesOfSeven", kCandumpText, LogFormat::Candump, 7, 7, 1 },
                    AtOnceCase { "GvretInOnePiece", kGvretText, LogFormat::Gvret, 1 << 16, 3, 1 },
                    AtOnceCase { "BoardTextInPiecesOfFive", kBoardText, LogFormat::BoardText, 5, 3, 0 },
                    AtOnceCase { "RealCapture", "", LogFormat::Candump, LogReplay::kDefaultChunkBytes, 28835, 0 }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

std::string distinctFrames(int count)
{
    std::string text;
    for (int index = 0; index < count; ++index)
        text += "(1.000000) can0 " + std::to_string(300 + index) + "#01\n";
    return text;
}

TEST_F(LogReplayTest, ACancelKeepsWhatWasReplayedAndReadsNoFurther)
{
    const QString path = writeFile("many.log", distinctFrames(300));
    LogReplay replay(session);
    replay.setChunkBytes(200);
    ASSERT_TRUE(replay.open(path));
    QSignalSpy finished(&replay, &LogReplay::finished);
    QObject::connect(&replay, &LogReplay::progressed, &replay, [&](qint64 read) {
        if (read >= 1000)
            replay.stop();
    });

    replay.start(LogReplay::Mode::AtOnce);
    ASSERT_TRUE(vexmoor::test::eventually([&] { return finished.count() > 0; }));
    const int rows = session.table().rowCount();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, 300);
    EXPECT_EQ(static_cast<std::uint64_t>(rows), replay.frames());
    EXPECT_EQ(replay.bytesRead(), 1000);
    QTest::qWait(50);
    EXPECT_EQ(session.table().rowCount(), rows);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(replay.isFinished());
}

// The serial port's scan lets the event loop run, and the replay's turn may come inside it: the
// board text it read then waits for the assembly, and still arrives when that was the end of the file.
TEST_F(LogReplayTest, BoardTextThatFindsTheAssemblyBusyWaitsForItToTheEnd)
{
    session.assembly().setYieldHook([] { QCoreApplication::processEvents(); });
    LogReplay replay(session);
    ASSERT_TRUE(replay.open(writeFile("board.txt", "<680,1,>\r\n<1000,2,>\r\n")));
    QSignalSpy finished(&replay, &LogReplay::finished);
    replay.start(LogReplay::Mode::AtOnce);

    session.assembly().poll(std::string(200, ' ') + "<700,5,>");
    ASSERT_TRUE(vexmoor::test::eventually([&] { return finished.count() > 0; }));
    EXPECT_EQ(session.table().rowCount(), 3);
    EXPECT_EQ(replay.frames(), 2u);
}

// Gaps of 0.5 ms and 99.5 ms, then a clock that jumps back 1.1 s, then 50 ms; each frame its own row.
const std::string kTimedText = "(10.000000) can0 300#01\n"
                               "(10.000500) can0 301#01\n"
                               "(10.100000) can0 302#01\n"
                               "(8.900000) can0 303#01\n"
                               "(8.950000) can0 304#01\n";

class InTimeTest : public LogReplayTest, public testing::WithParamInterface<int> {
protected:
    // Moves the monotonic clock by a time on the log's clock, at the speed under test.
    void play(std::chrono::microseconds logTime, LogReplay& replay)
    {
        clock.advance(logTime / GetParam());
        replay.catchUp();
    }
    int rows() { return session.table().rowCount(); }
};

TEST_P(InTimeTest, HandsOnEachFrameAtItsRecordedGapAndTakesAClockJumpBackAsNoGap)
{
    LogReplay replay(session);
    replay.setClock(clock);
    ASSERT_TRUE(replay.open(writeFile("timed.log", kTimedText)));
    replay.setSpeed(GetParam());
    QSignalSpy finished(&replay, &LogReplay::finished);
    replay.start(LogReplay::Mode::InTime);
    EXPECT_TRUE(replay.isPlaying());
    EXPECT_EQ(rows(), 0);

    replay.catchUp();
    EXPECT_EQ(rows(), 1) << "the first frame at once";
    play(490us, replay);
    EXPECT_EQ(rows(), 1);
    play(10us, replay);
    EXPECT_EQ(rows(), 2);
    play(99'000us, replay);
    EXPECT_EQ(rows(), 2);
    play(500us, replay);
    EXPECT_EQ(rows(), 4) << "the frame after the jump back comes with the one before it";
    EXPECT_FALSE(replay.isFinished()) << "the jump back does not end the replay";
    play(49'000us, replay);
    EXPECT_EQ(rows(), 4);
    play(1'000us, replay);
    EXPECT_EQ(rows(), 5) << "the gap after the jump back is kept";
    EXPECT_EQ(replay.replayTime(), 150'000us);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(replay.frames(), 5u);
}

TEST_P(InTimeTest, APauseHoldsTheReplaysClockAndPlayGoesOnFromThere)
{
    LogReplay replay(session);
    replay.setClock(clock);
    ASSERT_TRUE(replay.open(writeFile("timed.log", kTimedText)));
    replay.setSpeed(GetParam());
    QSignalSpy playing(&replay, &LogReplay::playingChanged);
    replay.start(LogReplay::Mode::InTime);
    EXPECT_EQ(replay.latestFrameUs(), std::nullopt);
    replay.catchUp();
    play(250us, replay);

    replay.pause();
    EXPECT_FALSE(replay.isPlaying());
    clock.advance(10s);
    replay.catchUp();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(replay.replayTime(), 250us);
    EXPECT_EQ(replay.latestFrameUs(), 10'000'000) << "the frames' clock stands still too";

    replay.play();
    play(240us, replay);
    EXPECT_EQ(rows(), 1);
    play(10us, replay);
    EXPECT_EQ(rows(), 2);
    ASSERT_EQ(playing.count(), 3);
    EXPECT_EQ(playing.at(1).at(0).toBool(), false);
    EXPECT_EQ(playing.at(2).at(0).toBool(), true);
}

TEST_P(InTimeTest, StopEndsTheReplayWhereItStands)
{
    LogReplay replay(session);
    replay.setClock(clock);
    ASSERT_TRUE(replay.open(writeFile("timed.log", kTimedText)));
    replay.setSpeed(GetParam());
    QSignalSpy finished(&replay, &LogReplay::finished);
    replay.start(LogReplay::Mode::InTime);
    replay.catchUp();

    replay.stop();
    EXPECT_TRUE(replay.isFinished());
    EXPECT_FALSE(replay.isPlaying());
    EXPECT_EQ(finished.count(), 1);
    replay.play();
    play(1s, replay);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(finished.count(), 1);
}

TEST_P(InTimeTest, BoardTextArrivesAtTheBoardLinesByteRate)
{
    // Eleven bytes a record; the ">" of the first is its ninth byte.
    std::string text;
    for (int id = 1000; id < 1100; ++id)
        text += "<" + std::to_string(id) + ",1,>\r\n";
    LogReplay replay(session);
    replay.setClock(clock);
    ASSERT_TRUE(replay.open(writeFile("board.txt", text)));
    ASSERT_EQ(replay.format(), LogFormat::BoardText);
    replay.setSpeed(GetParam());
    QSignalSpy finished(&replay, &LogReplay::finished);
    replay.start(LogReplay::Mode::InTime);

    // Nine bytes take 9 / 3840 s = 2343.75 us.
    play(2340us, replay);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(replay.bytesRead(), 8);
    play(10us, replay);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(replay.bytesRead(), 9);
    // 1100 bytes in all: 286.5 ms.
    play(280'000us, replay);
    EXPECT_EQ(replay.bytesRead(), (2350 + 280'000) * 3840 / 1'000'000);
    EXPECT_FALSE(replay.isFinished());
    play(10'000us, replay);
    EXPECT_EQ(rows(), 100);
    EXPECT_EQ(finished.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Speeds, InTimeTest, testing::Values(1, 10),
                         [](const auto& testCase) { return std::to_string(testCase.param) + "x"; });

TEST_F(LogReplayTest, AnInterfaceFilterReplaysOnlyThatInterfaceAndNamesThemAll)
{
    const QString path = writeFile("two.log", kCandumpText);
    const LogReplay::Preview preview = LogReplay::preview(path);
    EXPECT_TRUE(preview.error.isEmpty());
    EXPECT_EQ(preview.format, LogFormat::Candump);
    EXPECT_EQ(preview.interfaces, (QStringList { QStringLiteral("can0"), QStringLiteral("can1") }))
        << "the last line has no line end and is no part of what the preview reads";

    LogReplay replay(session);
    ASSERT_TRUE(replay.open(path, QStringLiteral("can1")));
    runToEnd(replay);
    EXPECT_EQ(rowsOf(session.table()), headlessRows(kCandumpText, LogFormat::Candump, "can1"));
    EXPECT_EQ(session.table().rowCount(), 2);
    EXPECT_EQ(replay.frames(), 2u);
    EXPECT_EQ(replay.interfaces(),
              (QStringList { QStringLiteral("can0"), QStringLiteral("can1"), QStringLiteral("vcan0") }));
}

TEST_F(LogReplayTest, AFileThatCannotBeReadOrIsNoLogIsRefusedWithItsReason)
{
    const QString missing = directory.filePath(QStringLiteral("missing.log"));
    const QString prose = writeFile("notes.txt", "Drove to the shop.\nEngine on at 10:02.\n");
    const QString markup = writeFile("page.xml", "<?xml version=\"1.0\"?>\n<log/>\n");
    const QString empty = writeFile("empty.log", "");

    const std::vector<std::pair<QString, QString>> cases
        = { { missing, QStringLiteral("Cannot read %1: No such file or directory").arg(missing) },
            { directory.path(), QStringLiteral("Cannot read %1: ").arg(directory.path()) },
            { prose, QStringLiteral("%1 is not a candump log, a GVRET CSV or a board stream.").arg(prose) },
            { markup, QStringLiteral("%1 is not a candump log, a GVRET CSV or a board stream.").arg(markup) },
            { empty, QStringLiteral("%1 is empty: there is nothing to replay.").arg(empty) } };
    for (const auto& [path, reason] : cases) {
        LogReplay replay(session);
        EXPECT_FALSE(replay.open(path)) << path.toStdString();
        EXPECT_TRUE(replay.errorString().startsWith(reason)) << replay.errorString().toStdString();
        EXPECT_TRUE(LogReplay::preview(path).error.startsWith(reason)) << path.toStdString();
        replay.start(LogReplay::Mode::AtOnce);
        QTest::qWait(10);
        EXPECT_FALSE(replay.isFinished()) << "a refused file never runs";
    }
    EXPECT_EQ(session.table().rowCount(), 0);
}

} // namespace
