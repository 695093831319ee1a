#include "capture/CaptureTestSupport.h"
#include "capture/formats/CandumpRecorder.h"
#include "capture/formats/LogFormat.h"
#include "capture/formats/LogReader.h"
#include "capture/record/CaptureSession.h"

#include "BoardStreamGenerator.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::CaptureSession;
using vexmoor::test::TableRows;

// The table without its TIME column: the board's records take the clock's time, a log's frames their
// own.
TableRows withoutTimes(const vexmoor::MessageTable& table)
{
    TableRows rows = vexmoor::test::rowsOf(table);
    for (auto& row : rows)
        row.at(4).clear();
    return rows;
}

TableRows replayedLog(std::string_view log, vexmoor::TimeOfDaySource& clock)
{
    CaptureSession session(clock);
    vexmoor::LogReader reader(vexmoor::detectLogFormat(log.substr(0, vexmoor::kLogDetectionBytes)));
    const auto toTable = [&session](const vexmoor::CanFrame& frame, std::string_view interfaceName) {
        session.ingestFrame(frame, interfaceName);
    };
    reader.feed(log, toTable);
    reader.finish(toTable);
    EXPECT_EQ(reader.malformedLines(), 0u);
    return withoutTimes(session.table());
}

TableRows replayedBoardStream(const std::string& stream, vexmoor::TimeOfDaySource& clock)
{
    CaptureSession session(clock);
    session.assembly().poll(stream);
    return withoutTimes(session.table());
}

class RealCaptureTableTest : public testing::TestWithParam<std::string> { };

TEST_P(RealCaptureTableTest, TheCandumpLogAndTheSameFramesAsBoardTextGiveTheSameTable)
{
    const auto log = vexmoor::test::readTestData(GetParam() + ".log");
    const auto boardText = vexmoor::test::readTestData(GetParam() + ".serial.txt");
    if (!log || !boardText)
        GTEST_SKIP() << "the real captures are not beside the project";
    vexmoor::test::FixedClock clock;
    const TableRows fromLog = replayedLog(*log, clock);
    EXPECT_GT(fromLog.size(), 50u);
    EXPECT_EQ(fromLog, replayedBoardStream(*boardText, clock));
}

INSTANTIATE_TEST_SUITE_P(Captures, RealCaptureTableTest,
                         testing::Values("honda_civic_type_r_turnonanddrive", "dodge_durango_engineon"));

TEST(LogRoundTripTest, ACaptureLoggedAndReplayedGivesTheSameTable)
{
    vexmoor::tools::BoardStreamGenerator generator({ .seed = 5, .identifierCount = 40 });
    // Extended identifiers too, written as the board writes them, small ones in five digits.
    const std::string stream = vexmoor::tools::BoardStreamGenerator::startupLine() + generator.records(3000)
        + "<418381592,1,2,>\r\n<00300,7,>\r\n<300,7,>\r\n<418381592,1,3,>\r\n";

    vexmoor::test::FixedClock clock;
    CaptureSession capture(clock);
    std::int64_t arrival = 1696752000000000;
    vexmoor::CandumpRecorder recorder([&arrival] { return arrival += 100; });
    capture.ingestion().setTap(&recorder);
    capture.assembly().poll(stream);
    std::string log;
    recorder.takeLines(log);

    EXPECT_EQ(recorder.recordsNotLogged(), 0u);
    EXPECT_EQ(replayedLog(log, clock), withoutTimes(capture.table()));
}

} // namespace
