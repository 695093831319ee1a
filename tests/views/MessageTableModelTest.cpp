#include "views/MessageTableModel.h"
#include "capture/CaptureTestSupport.h"
#include "capture/changes/SuppressionMask.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/record/CaptureSession.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using vexmoor::CaptureSession;
using vexmoor::MessageColumn;
using vexmoor::MessageTableModel;
using vexmoor::test::makeFrame;

class MessageTableModelTest : public testing::Test {
protected:
    void ingestRows(int count, int firstId = 300)
    {
        for (int id = firstId; id < firstId + count; ++id)
            session.ingest("<" + std::to_string(id) + ",1,>");
    }

    vexmoor::test::FixedClock clock;
    CaptureSession session { clock };
    MessageTableModel model { session.table() };
    QAbstractItemModelTester tester { &model, QAbstractItemModelTester::FailureReportingMode::Fatal };
    QSignalSpy inserted { &model, &QAbstractItemModel::rowsInserted };
    QSignalSpy changed { &model, &QAbstractItemModel::dataChanged };
};

TEST_F(MessageTableModelTest, TellsTheViewAboutNewRowsAndChangedCellsOncePerRefresh)
{
    ingestRows(10);
    for (int repeat = 0; repeat < 50; ++repeat)
        session.ingest("<302,2,>");
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(inserted.count(), 0);

    model.refresh();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 9);
    EXPECT_EQ(changed.count(), 0);

    session.ingest("<302,3,>");
    session.ingest("<303,3,>");
    session.ingest("<307,3,>");
    model.refresh();
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 3);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 7);
    EXPECT_EQ(changed[1][1].toModelIndex().row(), 7);

    model.refresh();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("<302,3,>"));
}

TEST_F(MessageTableModelTest, OneSignalCoversTheTableWhenMostRowsChanged)
{
    ingestRows(10);
    model.refresh();
    for (int id = 300; id < 308; id += 2)
        session.ingest("<" + std::to_string(id) + ",5,>");
    for (int id = 301; id < 310; id += 2)
        session.ingest("<" + std::to_string(id) + ",5,>");
    model.refresh();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 9);
}

TEST_F(MessageTableModelTest, RowsLeaveTheViewBeforeTheyLeaveTheTable)
{
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    ingestRows(5);
    model.refresh();
    ingestRows(3, 400);

    session.table().removeRow(2);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(model.rowCount(), 4);
    session.table().removeRow(6); // not shown yet
    EXPECT_EQ(removed.count(), 1);
    session.table().clear();
    EXPECT_EQ(model.rowCount(), 0);
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(MessageTableModelTest, ShowsCellsThroughTheCodePageAndDotsWhereThereIsNoGlyph)
{
    EXPECT_EQ(MessageTableModel::displayText(std::string("A\0\x1f\x7f\x80\x81\xe9", 7), true),
              QStringLiteral("A\u00B7\u00B7\u00B7\u20AC\u00B7\u00E9"));
    EXPECT_EQ(MessageTableModel::displayText("<680,\x80,>", false), QStringLiteral("<680,\u20AC,>"));
}

// The three columns of the change tracker, on a clock the test sets: time stamps count in
// milliseconds from an arbitrary start.
class ChangeColumnsTest : public testing::Test {
protected:
    static constexpr std::int64_t kStartUs = 1'700'000'000'000'000;
    static std::int64_t at(std::int64_t milliseconds) { return kStartUs + milliseconds * 1000; }

    ChangeColumnsTest()
    {
        model.setChanges(&session.changes());
        model.setClock(framesClock);
    }

    void send(std::uint32_t id, std::int64_t milliseconds, std::initializer_list<std::uint8_t> data,
              bool extended = false)
    {
        session.ingestFrame(makeFrame(id, data, { .extended = extended, .timestampUs = at(milliseconds) }), "can0");
    }

    // Reads the clock at the given time, as the refresh timer would.
    void showAt(std::int64_t milliseconds)
    {
        framesClock.nowAtUs = at(milliseconds);
        model.refresh();
    }

    QVariant cell(int row, int column, int role = Qt::DisplayRole) const
    {
        return model.data(model.index(row, column), role);
    }

    std::set<int> repaintedRows()
    {
        std::set<int> rows;
        for (const QList<QVariant>& signal : changed) {
            for (int row = signal[0].toModelIndex().row(); row <= signal[1].toModelIndex().row(); ++row)
                rows.insert(row);
        }
        changed.clear();
        return rows;
    }

    vexmoor::test::FixedFramesClock framesClock { kStartUs };
    vexmoor::test::FixedClock clock;
    CaptureSession session { clock };
    MessageTableModel model { session.table() };
    QAbstractItemModelTester tester { &model, QAbstractItemModelTester::FailureReportingMode::Fatal };
    QSignalSpy changed { &model, &QAbstractItemModel::dataChanged };
};

TEST_F(ChangeColumnsTest, TheEightColumnsComeFirstAsTheyWereAndTheCsvKeepsOnlyThem)
{
    std::vector<std::string> titles;
    for (int column = 0; column < model.columnCount(); ++column)
        titles.push_back(model.headerData(column, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ(titles,
              (std::vector<std::string> { "CAN_ID", "CAN Messages (Includding CAN_ID)", "Msg Count", "Message Name",
                                          "TIME", "Change", "ASCII", "Change Count", "Data", "Period (ms)", "Rate (Hz)",
                                          "DBC Message", "Bus" }));

    send(0x3A1, 0, { 1, 2 });
    send(0x3A1, 10, { 1, 3 });
    showAt(10);
    for (int column = 0; column < static_cast<int>(MessageColumn::Count); ++column) {
        const auto text = session.table().cell(1, static_cast<MessageColumn>(column));
        EXPECT_EQ(cell(0, column),
                  MessageTableModel::displayText(text, column == static_cast<int>(MessageColumn::Ascii)))
            << column;
        EXPECT_FALSE(cell(0, column, MessageTableModel::ByteBackgroundsRole).isValid()) << column;
    }
    const std::string csv = vexmoor::TableCsvWriter::toCsv(session.table());
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "CAN_ID,CAN Messages (Includding CAN_ID),Msg Count,Message Name,TIME,Change,ASCII,Change Count");
    EXPECT_EQ(csv.find("01 03"), std::string::npos);
}

TEST_F(ChangeColumnsTest, DataShowsTheLatestBytesOfTheRowsOwnIdentifierInHex)
{
    send(0x3A1, 0, { 0x01, 0xA0, 0xFF });
    send(0x7DF, 0, { 0x0B }, true); // its row key is 000007DF, apart from the standard frame's
    send(0x7DF, 0, { 0x0C });
    send(0x1ABCDEF, 0, {}, true);
    showAt(0);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(cell(0, MessageTableModel::kDataColumn).toString(), QStringLiteral("01 A0 FF"));
    EXPECT_EQ(cell(1, MessageTableModel::kDataColumn).toString(), QStringLiteral("0B"));
    EXPECT_EQ(cell(2, MessageTableModel::kDataColumn).toString(), QStringLiteral("0C"));
    EXPECT_EQ(cell(3, MessageTableModel::kDataColumn).toString(), QString());

    send(0x3A1, 5, { 0x02 });
    EXPECT_EQ(cell(0, MessageTableModel::kDataColumn).toString(), QStringLiteral("02"));
}

// A CAN FD frame's record is longer than any column: the cell shows its start and an ellipsis, the
// tooltip the whole; the Data column's tooltip has all 64 bytes, 16 to a line. A classic row has no
// tooltip.
TEST_F(ChangeColumnsTest, ACanFdRowShowsItsStartAndTheWholeInTooltips)
{
    vexmoor::CanFrame frame = makeFrame(0x3A1, {}, { .timestampUs = at(0), .fd = true });
    frame.length = 64;
    frame.data.fill(0xAB);
    session.ingestFrame(frame, "can0");
    send(0x3A2, 0, { 1, 2 });
    showAt(0);

    const int message = static_cast<int>(MessageColumn::Message);
    const QString whole = cell(0, message, Qt::ToolTipRole).toString();
    EXPECT_EQ(whole.toStdString(), session.table().cell(1, MessageColumn::Message));
    EXPECT_EQ(cell(0, message).toString(), whole.left(MessageTableModel::kShownCharacters - 1) + QChar(0x2026));
    const QStringList dataLines
        = cell(0, MessageTableModel::kDataColumn, Qt::ToolTipRole).toString().split(QLatin1Char('\n'));
    ASSERT_EQ(dataLines.size(), 5);
    EXPECT_EQ(dataLines[0], QStringLiteral("64 bytes"));
    EXPECT_EQ(dataLines[4].split(QLatin1Char(' ')).size(), 16);
    EXPECT_FALSE(cell(1, message, Qt::ToolTipRole).isValid());
    EXPECT_FALSE(cell(1, MessageTableModel::kDataColumn, Qt::ToolTipRole).isValid());
}

struct TimedFrame {
    std::int64_t milliseconds;
    std::vector<std::uint8_t> data;
};

struct ByteLook {
    QColor colour; // invalid: the normal background
    double strength; // the colour's alpha: 1 just changed, falling to 0 as the change fades
    QString mark;
};

// Looks of the Data column's bytes in row 0 and the frames of its identifier, 0x3A1.
class ByteLookTest : public ChangeColumnsTest {
protected:
    void sendAll(const std::vector<TimedFrame>& frames)
    {
        for (const TimedFrame& timed : frames) {
            vexmoor::CanFrame frame { .id = 0x3A1, .length = static_cast<std::uint8_t>(timed.data.size()) };
            std::copy(timed.data.begin(), timed.data.end(), frame.data.begin());
            frame.timestampUs = at(timed.milliseconds);
            session.ingestFrame(frame, "can0");
        }
    }

    void expectByteLooks(const std::vector<ByteLook>& expected)
    {
        const QVariantList colours
            = cell(0, MessageTableModel::kDataColumn, MessageTableModel::ByteBackgroundsRole).toList();
        const QStringList marks
            = cell(0, MessageTableModel::kDataColumn, MessageTableModel::ByteMarksRole).toStringList();
        ASSERT_EQ(colours.size(), static_cast<qsizetype>(expected.size()));
        ASSERT_EQ(marks.size(), static_cast<qsizetype>(expected.size()));
        for (std::size_t byte = 0; byte < expected.size(); ++byte) {
            const auto colour = colours[static_cast<qsizetype>(byte)].value<QColor>();
            EXPECT_EQ(colour.isValid(), expected[byte].colour.isValid()) << byte;
            if (colour.isValid()) {
                EXPECT_EQ(colour.rgb(), expected[byte].colour.rgb()) << byte;
                EXPECT_NEAR(colour.alphaF(), expected[byte].strength, 0.01) << byte;
            }
            EXPECT_EQ(marks[static_cast<qsizetype>(byte)], expected[byte].mark) << byte;
        }
    }
};

struct ByteLookCase {
    const char* name;
    std::vector<TimedFrame> frames;
    std::int64_t nowMs;
    std::vector<ByteLook> bytes;
};

class ChangedByteLookTest : public ByteLookTest, public testing::WithParamInterface<ByteLookCase> { };

// Up light green, down light red, both marked and fading over two seconds of the frames' clock; a
// byte that changes in most frames grey and unmarked.
TEST_P(ChangedByteLookTest, ColoursAndMarksEachByteByItsLastChange)
{
    sendAll(GetParam().frames);
    showAt(GetParam().nowMs);
    expectByteLooks(GetParam().bytes);
}

const ByteLook kPlain { QColor(), 0, QString() };

std::vector<TimedFrame> busyFirstByte()
{
    // The first byte counts up in every frame; the second changes once, at the end.
    std::vector<TimedFrame> frames;
    for (std::uint8_t step = 0; step < 10; ++step)
        frames.push_back({ step * 100, { step, static_cast<std::uint8_t>(step == 9 ? 7 : 5) } });
    return frames;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, ChangedByteLookTest,
    testing::Values(
        ByteLookCase { "RiseJustNow",
                       { { 0, { 10, 20 } }, { 100, { 11, 20 } } },
                       100,
                       { { MessageTableModel::kUpColor, 1.0, MessageTableModel::kUpMark }, kPlain } },
        ByteLookCase { "FallHalfFaded",
                       { { 0, { 10, 20 } }, { 100, { 10, 5 } } },
                       1100,
                       { kPlain, { MessageTableModel::kDownColor, 0.5, MessageTableModel::kDownMark } } },
        ByteLookCase { "FadeOverAfterTwoSeconds", { { 0, { 10, 20 } }, { 100, { 11, 5 } } }, 2100, { kPlain, kPlain } },
        ByteLookCase { "NeverChanged", { { 0, { 10 } }, { 100, { 10 } } }, 100, { kPlain } },
        ByteLookCase { "ChangeAfterTheShownMoment", { { 0, { 10 } }, { 100, { 11 } } }, 50, { kPlain } },
        ByteLookCase { "BusyByteGreyRareChangeMarked",
                       busyFirstByte(),
                       900,
                       { { MessageTableModel::kBusyColor, 1.0, QString() },
                         { MessageTableModel::kUpColor, 1.0, MessageTableModel::kUpMark } } }),
    [](const testing::TestParamInfo<ByteLookCase>& test) { return std::string(test.param.name); });

struct SuppressedLookCase {
    const char* name;
    std::vector<TimedFrame> before; // their flips of the last three seconds are suppressed at the last
    std::vector<TimedFrame> after;
    std::int64_t nowMs;
    std::vector<ByteLook> bytes;
};

void PrintTo(const SuppressedLookCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SuppressedByteLookTest : public ByteLookTest, public testing::WithParamInterface<SuppressedLookCase> { };

// A byte is painted from its bits not suppressed only: with the byte's direction when the last of
// them flipped in the byte's last change, else in a colour without a direction.
TEST_P(SuppressedByteLookTest, PaintsEachByteFromItsBitsNotSuppressed)
{
    vexmoor::SuppressionMask mask;
    model.setSuppression(&mask);
    sendAll(GetParam().before);
    mask.suppressRecent(session.changes(), at(GetParam().before.back().milliseconds));
    model.suppressionChanged();
    sendAll(GetParam().after);
    showAt(GetParam().nowMs);
    expectByteLooks(GetParam().bytes);
}

// Frames that change nothing from 6 s on, so that the changes after them are rare, not busy.
std::vector<TimedFrame> quietThen(std::uint8_t unchanged, std::vector<TimedFrame> changes)
{
    std::vector<TimedFrame> frames;
    for (std::int64_t ms = 6000; ms < 6400; ms += 100)
        frames.push_back({ ms, { unchanged } });
    frames.insert(frames.end(), changes.begin(), changes.end());
    return frames;
}

// Bit 0 of the first byte toggles in every frame from 0 to 900 ms, and goes on after them; at the
// end, bit 4 flips with it.
std::vector<TimedFrame> toggling(std::int64_t fromMs, std::int64_t toMs, bool bit4AtEnd)
{
    std::vector<TimedFrame> frames;
    for (std::int64_t ms = fromMs; ms <= toMs; ms += 100) {
        const auto bit0 = static_cast<std::uint8_t>(ms / 100 % 2);
        frames.push_back({ ms, { static_cast<std::uint8_t>(bit0 | (bit4AtEnd && ms == toMs ? 0x10 : 0)) } });
    }
    return frames;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, SuppressedByteLookTest,
    testing::Values(SuppressedLookCase { "OnlySuppressedBitsFlippedTheByteIsNotPainted",
                                         { { 0, { 0x00, 0x05 } }, { 100, { 0x01, 0x05 } } },
                                         { { 1000, { 0x00, 0x06 } } },
                                         1000,
                                         { kPlain, { MessageTableModel::kUpColor, 1.0, MessageTableModel::kUpMark } } },
                    SuppressedLookCase {
                        "BothFlippedInTheLastChangeItsDirectionIsShown",
                        { { 0, { 0x00 } }, { 100, { 0x01 } } },
                        { { 200, { 0x01 } }, { 300, { 0x01 } }, { 400, { 0x01 } }, { 1000, { 0x10 } } },
                        1000,
                        { { MessageTableModel::kUpColor, 1.0, MessageTableModel::kUpMark } } },
                    SuppressedLookCase { "TheLastChangeSuppressedTheEarlierFlipIsShownWithoutADirection",
                                         { { 0, { 0x00 } }, { 100, { 0x01 } } },
                                         quietThen(0x01, { { 7000, { 0x11 } }, { 8000, { 0x10 } } }),
                                         8000,
                                         { { MessageTableModel::kUndirectedColor, 0.5, QString() } } },
                    SuppressedLookCase { "AnUnsuppressedFlipAfterASuppressedOneShowsItsDirection",
                                         { { 0, { 0x11 } }, { 100, { 0x10 } } },
                                         quietThen(0x10, { { 7000, { 0x11 } }, { 8000, { 0x01 } } }),
                                         8000,
                                         { { MessageTableModel::kDownColor, 1.0, MessageTableModel::kDownMark } } },
                    SuppressedLookCase { "BusyByteGreyOnlyWhileABitNotSuppressedMoves",
                                         toggling(0, 900, false),
                                         toggling(1000, 1900, true),
                                         1900,
                                         { { MessageTableModel::kBusyColor, 1.0, QString() } } },
                    SuppressedLookCase { "BusyOnlyBySuppressedBitsTheByteIsNotPainted",
                                         toggling(0, 900, false),
                                         toggling(1000, 1900, false),
                                         1900,
                                         { kPlain } }),
    [](const testing::TestParamInfo<SuppressedLookCase>& test) { return std::string(test.param.name); });

struct RateCase {
    const char* name;
    int intervalMs;
    std::int64_t afterLastMs;
    double periodMs; // 0: the column is empty
    double rate;
};

class RateColumnsTest : public ChangeColumnsTest, public testing::WithParamInterface<RateCase> {
protected:
    // The tracker counts frames in slots of time, so that its window is near, not exact: the text
    // must show one decimal and the value be close.
    static void expectNear(const QString& text, double expected)
    {
        if (expected == 0) {
            EXPECT_EQ(text, QString());
            return;
        }
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+\\.[0-9]$")).match(text).hasMatch())
            << text.toStdString();
        EXPECT_NEAR(text.toDouble(), expected, expected * 0.15) << text.toStdString();
    }
};

TEST_P(RateColumnsTest, ShowPeriodAndRateOfTheRecentWindowWithOneDecimal)
{
    const int interval = GetParam().intervalMs;
    std::int64_t last = 0;
    for (std::int64_t time = 0; time <= 3000; time += interval) {
        send(0x3A1, time, { 1 });
        last = time;
    }
    showAt(last + GetParam().afterLastMs);
    expectNear(cell(0, MessageTableModel::kPeriodColumn).toString(), GetParam().periodMs);
    expectNear(cell(0, MessageTableModel::kRateColumn).toString(), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateColumnsTest,
                         testing::Values(RateCase { "Every10ms", 10, 5, 10, 100 },
                                         RateCase { "Every20ms", 20, 5, 20, 50 },
                                         RateCase { "Every400ms", 400, 5, 400, 2.5 },
                                         RateCase { "QuietForThreeSeconds", 10, 3005, 0, 0 }),
                         [](const testing::TestParamInfo<RateCase>& test) { return std::string(test.param.name); });

TEST_F(ChangeColumnsTest, RepaintsRowsWithANewFrameOrAFadeOrRateStillMovingAndNothingElse)
{
    for (std::uint32_t id = 0x301; id <= 0x308; ++id)
        send(id, 0, { 1 });
    showAt(0);
    showAt(5000);
    EXPECT_EQ(repaintedRows(), (std::set<int> { 0, 1, 2, 3, 4, 5, 6, 7 })) << "once more as their rates end";

    send(0x302, 5900, { 2 });
    showAt(6000);
    EXPECT_EQ(repaintedRows(), (std::set<int> { 1 }));
    showAt(6000);
    EXPECT_EQ(repaintedRows(), std::set<int> {}) << "the clock stood still: nothing moved";

    send(0x301, 8000, { 1 });
    send(0x304, 8000, { 1 });
    showAt(8000);
    EXPECT_EQ(repaintedRows(), (std::set<int> { 0, 1, 3 })) << "row 1 once more as its fade ends at 7900";
    showAt(8033);
    EXPECT_EQ(repaintedRows(), (std::set<int> { 0, 3 })) << "the rates of rows 0 and 3 still move";
}

TEST_F(ChangeColumnsTest, WithoutATrackerTheColumnsStayEmpty)
{
    MessageTableModel plain { session.table() };
    send(0x3A1, 0, { 1 });
    plain.refresh();
    ASSERT_EQ(plain.rowCount(), 1);
    for (int column = MessageTableModel::kDataColumn; column < plain.columnCount(); ++column)
        EXPECT_FALSE(plain.data(plain.index(0, column)).isValid()) << column;
}

} // namespace
