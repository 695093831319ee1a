#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::CaptureSession;
using vexmoor::MessageColumn;
using vexmoor::test::FixedClock;
using vexmoor::test::rowsOf;
using vexmoor::test::StringNotesLog;
using vexmoor::test::TableRows;

class RecordIngestionTest : public testing::Test {
protected:
    std::vector<std::string> row(int position) { return rowsOf(session.table()).at(position - 1); }

    FixedClock clock;
    CaptureSession session { clock };
};

TEST_F(RecordIngestionTest, CountsRepeatsAndMarksChangesInTheIdentifiersRow)
{
    session.ingest("<680,1,16,0,0,0,0,0,0,>");
    EXPECT_EQ(row(1), (std::vector<std::string> { "2A8", "<680,1,16,0,0,0,0,0,0,>", "1", "", "", "", "", "1" }));

    clock.time = { 9, 5, 7 };
    session.ingest("<680,1,16,0,0,0,0,0,0,>");
    EXPECT_EQ(row(1),
              (std::vector<std::string> { "2A8", "<680,1,16,0,0,0,0,0,0,>", "2", "", "957", "",
                                          std::string("\x01\x10\0\0\0\0\0\0", 8), "1" }));

    clock.time = { 14, 30, 45 };
    session.ingest("<680,1,17,0,0,0,0,0,0,>");
    EXPECT_EQ(row(1),
              (std::vector<std::string> { "2A8", "<680,1,17,0,0,0,0,0,0,>", "3", "", "143045",
                                          "Data Changed - <680,1,16,0,0,0,0,0,0,>",
                                          std::string("\x01\x11\0\0\0\0\0\0", 8), "2" }));

    // A repeat after a change keeps the change mark and the change count.
    session.ingest("<680,1,17,0,0,0,0,0,0,>");
    EXPECT_EQ(row(1)[2], "4");
    EXPECT_EQ(row(1)[5], "Data Changed - <680,1,16,0,0,0,0,0,0,>");
    EXPECT_EQ(row(1)[7], "2");
    EXPECT_EQ(session.table().rowCount(), 1);
}

TEST_F(RecordIngestionTest, ADifferentSpellingOfTheSameValuesIsAChange)
{
    session.ingest("<680,1,>");
    session.ingest("<0680,1,>");
    session.ingest("<680,1>");
    EXPECT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(row(1)[7], "3");
    EXPECT_EQ(row(1)[5], "Data Changed - <0680,1,>");
}

struct MinimumCase {
    std::string minimum;
    std::string record;
    bool rowAdded;
};

void PrintTo(const MinimumCase& testCase, std::ostream* out)
{
    *out << testCase.minimum << " " << testCase.record;
}

class MinimumIdentifierTest : public RecordIngestionTest, public testing::WithParamInterface<MinimumCase> { };

TEST_P(MinimumIdentifierTest, HoldsBackNewRowsBelowTheMinimum)
{
    session.txtMinID().setText(GetParam().minimum);
    session.ingest(GetParam().record);
    EXPECT_EQ(session.table().rowCount(), GetParam().rowAdded ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MinimumIdentifierTest,
    testing::Values(MinimumCase { "250", "<250,1,>", true }, MinimumCase { "250", "<249,1,>", false },
                    MinimumCase { "250", "<100,1,>", false }, MinimumCase { "100", "<100,1,>", true },
                    MinimumCase { "249.5", "<250,1,>", true }, MinimumCase { "250.5", "<250,1,>", false },
                    MinimumCase { " 100 units", "<100,1,>", true }, MinimumCase { "none", "<0,>", true },
                    MinimumCase { "", "<1,>", true }, MinimumCase { std::string(400, '9'), "<9999,>", false }));

TEST_F(RecordIngestionTest, TheMinimumNeverStopsARowThatExistsFromBeingUpdated)
{
    session.txtMinID().setText("100");
    session.ingest("<100,1,>");
    session.txtMinID().setText("250");
    session.ingest("<100,2,>");

    ASSERT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(row(1)[0], "64");
    EXPECT_EQ(row(1)[2], "2");
}

struct HeldBackCase {
    std::string name;
    std::string record;
};

void PrintTo(const HeldBackCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class HeldBackRecordTest : public RecordIngestionTest, public testing::WithParamInterface<HeldBackCase> { };

// Every one of these records must leave the table and the notes window as they were.
TEST_P(HeldBackRecordTest, ChangesNothing)
{
    StringNotesLog notes;
    session.ingestion().setNotesLog(&notes);
    session.List1().append("<680,9,9,>");
    session.List2().append("7FF");
    session.ingest("<680,1,>");
    session.state().NotesRowIndex = 1;
    const TableRows before = rowsOf(session.table());

    session.ingest(GetParam().record);

    EXPECT_EQ(rowsOf(session.table()), before);
    EXPECT_EQ(notes.text, "");
}

INSTANTIATE_TEST_SUITE_P(Records, HeldBackRecordTest,
                         testing::Values(HeldBackCase { "OnTheMessageIgnoreList", "<680,9,9,>" },
                                         HeldBackCase { "OfAnIgnoredIdentifier", "<2047,1,>" },
                                         HeldBackCase { "FailingTheShapeTest", "<0>" },
                                         HeldBackCase { "WithoutIdentifierField", "<,1,>" },
                                         HeldBackCase { "Empty", "" }, HeldBackCase { "EmptyRecord", "<>" },
                                         HeldBackCase { "OfATenDigitIdentifier", "<1234567890,1,2,>" },
                                         HeldBackCase { "AboveTwentyNineBits", "<536870912,1,2,>" },
                                         HeldBackCase { "WithoutComma", "<680>" },
                                         HeldBackCase { "WithALetterInTheIdentifier", "<68A,1,>" }),
                         [](const auto& testCase) { return testCase.param.name; });

TEST_F(RecordIngestionTest, ARecordWithoutIdentifierLeavesTheLatestIdentifierAsItWas)
{
    for (const char* record : { "<>", "<1234567890,1,>", "<680>" })
        session.ingest(record);
    EXPECT_EQ(session.table().rowCount(), 0);
    EXPECT_EQ(session.state().HexID, "");

    session.ingest("<680,1,>");
    session.ingest("<536870912,1,2,>");
    EXPECT_EQ(session.state().HexID, "2A8");
    EXPECT_EQ(session.state().DecimalID, 680u);
    EXPECT_EQ(row(1)[2], "1");
}

TEST_F(RecordIngestionTest, ExtendedRecordsGetRowsAndTheMinimumComparesValuesWhateverTheWidth)
{
    session.ingest("<418381592,1,2,>");
    session.ingest("<00100,1,>");
    session.ingest("<00300,1,>");
    session.ingest("<300,1,>");
    ASSERT_EQ(session.table().rowCount(), 3);
    EXPECT_EQ(row(1)[0], "18EFFF18");
    EXPECT_EQ(row(1)[1], "<418381592,1,2,>");
    EXPECT_EQ(row(2)[0], "0000012C") << "a small extended identifier never shares the standard frame's row";
    EXPECT_EQ(row(3)[0], "12C");
    EXPECT_EQ(session.state().DecimalID, 300u);
}

TEST_F(RecordIngestionTest, AFrameOfAKnownSourceBringsItsFormatAndItsTime)
{
    // 2023-10-08 09:46:18.547717 and 09:46:19 UTC; a row takes the time of its updates.
    vexmoor::CanFrame frame = vexmoor::test::makeFrame(0x7DF, { 1 }, { .extended = true });
    frame.timestampUs = 1696758378547717;
    session.ingestFrame(frame, "can0");
    frame.timestampUs = 1696758379000000;
    session.ingestFrame(frame, "can0");
    frame.extended = false;
    session.ingestFrame(frame, "can0");
    session.ingest("<2015,2,>");
    session.ingest("<02015,2,>");
    ASSERT_EQ(session.table().rowCount(), 2);
    EXPECT_EQ(row(1)[0], "000007DF");
    EXPECT_EQ(row(1)[1], "<02015,2,>") << "the same frame from the board's text and from a log";
    EXPECT_EQ(row(1)[2], "3");
    EXPECT_EQ(row(1)[4], "123456");
    EXPECT_EQ(row(2)[0], "7DF");
    EXPECT_EQ(row(2)[1], "<2015,2,>");
    EXPECT_EQ(row(2)[4], "123456");

    frame.extended = true;
    session.ingestFrame(frame, "can0");
    EXPECT_EQ(row(1)[4], "94619") << "the frame's own time, not the clock's";
}

TEST_F(RecordIngestionTest, IgnoreListsMatchWholeTextsExactly)
{
    session.List1().append("<680,1, 2,>");
    session.List1().append("<680,1,2,>");
    session.List2().append("2a8");
    session.ingest("<680,1,2,>");
    session.ingest("<680,1,2 ,>");
    session.ingest("<680,1,3,>");

    ASSERT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(row(1)[1], "<680,1,3,>");
    EXPECT_EQ(row(1)[2], "2");
}

TEST_F(RecordIngestionTest, TheNotesWindowCollectsEachDistinctRecordOfItsRowOnce)
{
    StringNotesLog notes;
    session.ingestion().setNotesLog(&notes);
    session.ingest("<700,1,>");
    session.ingest("<680,1,16,0,0,0,0,0,0,>");
    session.state().NotesRowIndex = 2;

    for (const char* record :
         { "<680,1,16,0,0,0,0,0,0,>", "<680,1,16,0,0,0,0,0,0,>", "<700,1,>", "<680,1,17,0,0,0,0,0,0,>" })
        session.ingest(record);
    EXPECT_EQ(notes.text, "<680,1,16,0,0,0,0,0,0,>\r\n<680,1,17,0,0,0,0,0,0,>\r\n");

    notes.shown = false;
    session.ingest("<680,1,18,0,0,0,0,0,0,>");
    notes.shown = true;
    session.state().NotesRowIndex = 3; // beyond the end, as after rows were removed
    session.ingest("<680,1,19,0,0,0,0,0,0,>");
    EXPECT_EQ(notes.text, "<680,1,16,0,0,0,0,0,0,>\r\n<680,1,17,0,0,0,0,0,0,>\r\n");
}

TEST_F(RecordIngestionTest, CountCellsThatHoldNoNumberAreHandledWithoutLosingTheUpdate)
{
    session.ingest("<680,1,>");
    session.table().setCell(1, MessageColumn::MsgCount, "many");
    session.table().setCell(1, MessageColumn::ChangeCount, "7 times");
    session.ingest("<680,2,>");
    EXPECT_EQ(row(1)[1], "<680,2,>");
    EXPECT_EQ(row(1)[2], "many");
    EXPECT_EQ(row(1)[7], "8");

    session.table().setCell(1, MessageColumn::MsgCount, "99999999999999999999");
    session.table().setCell(1, MessageColumn::ChangeCount, "");
    session.ingest("<680,3,>");
    EXPECT_EQ(row(1)[2], "100000000000000000000");
    EXPECT_EQ(row(1)[7], "1");
}

TEST_F(RecordIngestionTest, UpdatesEveryRowThatCarriesTheCanId)
{
    session.ingest("<680,1,>");
    session.table().appendRow("2A8");
    session.ingest("<680,2,>");

    ASSERT_EQ(session.table().rowCount(), 2);
    EXPECT_EQ(row(1)[1], "<680,2,>");
    EXPECT_EQ(row(2)[1], "<680,2,>");
    EXPECT_EQ(row(2)[5], "Data Changed - ");
    EXPECT_EQ(row(2)[2], "");
}

TEST_F(RecordIngestionTest, ARemovedRowComesBackWithItsCountsStartingAgain)
{
    session.ingest("<680,1,>");
    session.ingest("<680,2,>");
    session.table().removeRow(1);
    session.ingest("<680,3,>");
    EXPECT_EQ(row(1), (std::vector<std::string> { "2A8", "<680,3,>", "1", "", "", "", "", "1" }));
}

} // namespace

namespace {

// The table may hold a frame back; the change tracking never does, so that a switch in a busy or
// ignored message can still be found.
TEST_F(RecordIngestionTest, EveryFrameWithAnIdentifierIsTrackedWhateverTheTableHoldsBack)
{
    const vexmoor::test::FixedFramesClock arrival { 1'700'000'000'000'000 };
    session.ingestion().setArrivalClock(&arrival);
    session.List2().append("2A8");
    session.ingest("<680,1,>"); // on the identifier ignore list
    session.ingest("<100,7,>"); // below the minimum identifier
    session.ingest("<680,3,>");
    session.ingest("<681,1,2,3,4,5,6,7,8,9,>"); // nine data fields: no CAN frame
    session.ingest("<>"); // no identifier
    const auto frame = vexmoor::test::makeFrame(0x123, { 0xAA }, { .extended = true, .timestampUs = 5'000'000 });
    session.ingestFrame(frame, "can0");

    const vexmoor::ChangeTracker& changes = session.changes();
    ASSERT_EQ(changes.size(), 3u);
    // The table shows the nine-field record and the extended frame only.
    EXPECT_EQ(session.table().rowCount(), 2);
    const auto* ignored = changes.find(680, false);
    ASSERT_NE(ignored, nullptr);
    EXPECT_EQ(ignored->frames(), 2u);
    EXPECT_EQ(ignored->bitFlips(1), 1u);
    EXPECT_EQ(ignored->lastFrameUs(), 1'700'000'000'000'000);
    EXPECT_NE(changes.find(100, false), nullptr);
    EXPECT_EQ(changes.find(681, false), nullptr);
    const auto* extended = changes.find(0x123, true);
    ASSERT_NE(extended, nullptr);
    EXPECT_EQ(extended->lastFrameUs(), 5'000'000);
    EXPECT_EQ(changes.find(0x123, false), nullptr);
}

} // namespace
