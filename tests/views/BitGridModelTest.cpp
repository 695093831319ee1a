#include "views/BitGridModel.h"

#include "capture/CaptureTestSupport.h"
#include "capture/changes/ChangeTracker.h"
#include "capture/changes/SuppressionMask.h"
#include "views/MessageTableModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::BitGridModel;
using vexmoor::test::makeFrame;

constexpr std::uint32_t kId = 0x3E9;

// Frames of one identifier into a tracker, on a clock the test sets: times count in milliseconds
// from an arbitrary start.
class BitGridModelTest : public testing::Test {
protected:
    static constexpr std::int64_t kStartUs = 1'700'000'000'000'000;
    static std::int64_t at(std::int64_t milliseconds) { return kStartUs + milliseconds * 1000; }

    BitGridModelTest()
    {
        model.setClock(framesClock);
        model.setSuppression(&mask);
    }

    void send(std::int64_t milliseconds, std::initializer_list<std::uint8_t> data)
    {
        changes.observe(makeFrame(kId, data, { .timestampUs = at(milliseconds) }));
    }

    void showAt(std::int64_t milliseconds)
    {
        framesClock.nowAtUs = at(milliseconds);
        model.refresh();
    }

    // Suppresses the bits that flipped in the half second before the given moment.
    void suppressFlipsBefore(std::int64_t milliseconds) { mask.suppressRecent(changes, at(milliseconds), 500'000); }

    QVariant bitCell(int byte, int bit, int role) const
    {
        return model.data(model.index(byte, BitGridModel::Bit0 - bit), role);
    }

    std::vector<QString> rowText(int row) const
    {
        std::vector<QString> text;
        for (int column = 0; column < BitGridModel::Count; ++column)
            text.push_back(model.data(model.index(row, column)).toString());
        return text;
    }

    vexmoor::test::FixedFramesClock framesClock { kStartUs };
    vexmoor::ChangeTracker changes;
    vexmoor::SuppressionMask mask;
    BitGridModel model { changes };
    QAbstractItemModelTester tester { &model, QAbstractItemModelTester::FailureReportingMode::Fatal };
};

struct ByteTextCase {
    std::string name;
    std::uint8_t value;
    std::vector<const char*> cells; // bit 7 to bit 0, hex, decimal
};

void PrintTo(const ByteTextCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ByteTextTest : public BitGridModelTest, public testing::WithParamInterface<ByteTextCase> { };

TEST_P(ByteTextTest, ShowsTheBitsMostSignificantFirstThenHexAndDecimal)
{
    send(0, { 0x00, GetParam().value });
    model.showIdentifier(kId, false);

    ASSERT_EQ(model.rowCount(), 2);
    std::vector<QString> expected;
    for (const char* cell : GetParam().cells)
        expected.push_back(QString::fromLatin1(cell));
    EXPECT_EQ(rowText(1), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ByteTextTest,
    testing::Values(ByteTextCase { "Zero", 0x00, { "0", "0", "0", "0", "0", "0", "0", "0", "00", "0" } },
                    ByteTextCase { "Top", 0x80, { "1", "0", "0", "0", "0", "0", "0", "0", "80", "128" } },
                    ByteTextCase { "Bottom", 0x01, { "0", "0", "0", "0", "0", "0", "0", "1", "01", "1" } },
                    ByteTextCase { "UpperCaseHex", 0xA5, { "1", "0", "1", "0", "0", "1", "0", "1", "A5", "165" } },
                    ByteTextCase { "All", 0xFF, { "1", "1", "1", "1", "1", "1", "1", "1", "FF", "255" } }),
    [](const testing::TestParamInfo<ByteTextCase>& test) { return test.param.name; });

struct FlipLookCase {
    std::string name;
    std::uint8_t after; // byte 0 after 0x01: bit 0 falls, bit 1 rises
    int bit;
    std::int64_t shownMs; // the flip came at 1000 ms
    bool suppressed;
    double alpha; // of the flip's colour; 0: no flip shown
    bool risen;
};

void PrintTo(const FlipLookCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class FlipLookTest : public BitGridModelTest, public testing::WithParamInterface<FlipLookCase> { };

// A flip is framed in the table's up or down colour by the way the bit went, fading over two seconds
// of the frames' clock, and in bold while it lasts; a suppressed bit never shows one.
TEST_P(FlipLookTest, FramesARecentFlipFadingAndNeverASuppressedOne)
{
    const FlipLookCase& look = GetParam();
    send(0, { 0x01 });
    send(1000, { look.after });
    if (look.suppressed)
        suppressFlipsBefore(1100);
    model.showIdentifier(kId, false);
    showAt(look.shownMs);

    const auto colour = bitCell(0, look.bit, BitGridModel::RecentFlipColorRole).value<QColor>();
    EXPECT_EQ(bitCell(0, look.bit, BitGridModel::SuppressedRole).toBool(), look.suppressed);
    EXPECT_EQ(bitCell(0, look.bit, Qt::FontRole).value<QFont>().bold(), look.alpha > 0);
    if (look.alpha == 0) {
        EXPECT_FALSE(colour.isValid());
        return;
    }
    ASSERT_TRUE(colour.isValid());
    EXPECT_NEAR(colour.alphaF(), look.alpha, 0.01);
    const QColor table = look.risen ? vexmoor::MessageTableModel::kUpColor : vexmoor::MessageTableModel::kDownColor;
    EXPECT_NEAR(colour.hue(), table.hue(), 2) << "the table's colour of the way the bit went";
}

INSTANTIATE_TEST_SUITE_P(Flips, FlipLookTest,
                         testing::Values(FlipLookCase { "RoseJustNow", 0x02, 1, 1000, false, 1.0, true },
                                         FlipLookCase { "FellHalfASecondAgo", 0x02, 0, 1500, false, 0.75, false },
                                         FlipLookCase { "AlmostFaded", 0x02, 1, 2900, false, 0.05, true },
                                         FlipLookCase { "Faded", 0x02, 1, 3000, false, 0, false },
                                         FlipLookCase { "StampedAfterTheShownMoment", 0x02, 1, 900, false, 0, false },
                                         FlipLookCase { "NeverFlipped", 0x02, 5, 1000, false, 0, false },
                                         FlipLookCase { "Suppressed", 0x02, 1, 1100, true, 0, false }),
                         [](const testing::TestParamInfo<FlipLookCase>& test) { return test.param.name; });

// A CAN FD frame's 64 bytes are 64 rows; a bit past the eighth byte flips, fades and is suppressed as
// one of the first eight.
TEST_F(BitGridModelTest, ACanFdFrameShowsEveryByteWithItsFlips)
{
    const auto sendFd = [this](std::int64_t milliseconds, std::uint8_t last) {
        vexmoor::CanFrame frame = makeFrame(kId, {}, { .timestampUs = at(milliseconds), .fd = true });
        frame.length = 64;
        frame.data[40] = static_cast<std::uint8_t>(milliseconds / 1000);
        frame.data[63] = last;
        changes.observe(frame);
    };
    sendFd(0, 0x00);
    sendFd(1000, 0x80);
    suppressFlipsBefore(1100);
    sendFd(2000, 0x00);
    model.showIdentifier(kId, false);
    showAt(2000);

    ASSERT_EQ(model.rowCount(), 64);
    EXPECT_EQ(model.headerData(63, Qt::Vertical).toString(), QStringLiteral("Byte 63"));
    EXPECT_EQ(rowText(40).back(), QStringLiteral("2"));
    EXPECT_TRUE(bitCell(63, 7, BitGridModel::SuppressedRole).toBool());
    EXPECT_FALSE(bitCell(40, 1, BitGridModel::SuppressedRole).toBool());
    EXPECT_TRUE(bitCell(40, 1, BitGridModel::RecentFlipColorRole).value<QColor>().isValid());
}

// Bit 0 flips nine times, bit 1 three times, bit 2 once, bit 3 never.
TEST_F(BitGridModelTest, HeatRisesWithTheFlipsAgainstTheBusiestBitNotSuppressed)
{
    const std::vector<std::uint8_t> values = { 0x00, 0x01, 0x00, 0x03, 0x02, 0x01, 0x02, 0x07, 0x06, 0x07 };
    for (std::size_t frame = 0; frame < values.size(); ++frame)
        send(static_cast<std::int64_t>(frame) * 10, { values[frame] });
    framesClock.nowAtUs = at(1060);
    model.showIdentifier(kId, false);

    auto heat = [this](int bit) { return bitCell(0, bit, BitGridModel::HeatRole).toDouble(); };
    EXPECT_DOUBLE_EQ(heat(0), 1.0);
    EXPECT_GT(heat(1), heat(2));
    EXPECT_GT(heat(2), 0.0);
    EXPECT_EQ(heat(3), 0.0);
    EXPECT_GT(heat(2), 0.25) << "one flip beside nine still shows: the scale is logarithmic";
    EXPECT_NE(bitCell(0, 1, Qt::BackgroundRole), bitCell(0, 2, Qt::BackgroundRole));
    EXPECT_FALSE(bitCell(0, 3, Qt::BackgroundRole).isValid()) << "a bit that never flipped keeps the plain cell";
    EXPECT_EQ(bitCell(0, 1, Qt::ToolTipRole).toString(),
              QStringLiteral("byte 0 bit 1: value 1, 3 flips, last flip 1.0 s ago"));

    send(1500, { 0x06 }); // bit 0 alone, to be suppressed
    suppressFlipsBefore(1600);
    showAt(2000);
    EXPECT_EQ(heat(0), 0.0);
    EXPECT_DOUBLE_EQ(heat(1), 1.0);
    EXPECT_EQ(bitCell(0, 0, Qt::BackgroundRole).value<QBrush>().style(), Qt::BDiagPattern);
    EXPECT_EQ(bitCell(0, 3, Qt::ToolTipRole).toString(),
              QStringLiteral("byte 0 bit 3: value 0, 0 flips, never flipped"));
}

// Only rows whose look moved are repainted; the grid is reset only when its rows come or go.
TEST_F(BitGridModelTest, RepaintsTheRowsThatMovedAndResetsWhenTheLengthChanges)
{
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    auto repaintedRows = [&] {
        std::vector<std::pair<int, int>> rows;
        for (const QList<QVariant>& signal : changed)
            rows.emplace_back(signal[0].toModelIndex().row(), signal[1].toModelIndex().row());
        changed.clear();
        return rows;
    };
    using Rows = std::vector<std::pair<int, int>>;

    model.showIdentifier(kId, false);
    EXPECT_EQ(model.rowCount(), 0) << "not seen yet";
    send(0, { 1, 2, 3, 4 });
    reset.clear();
    showAt(0);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(reset.count(), 1);

    send(5000, { 1, 2, 3, 4 });
    showAt(5000);
    EXPECT_EQ(repaintedRows(), Rows {}) << "nothing moved";
    send(5100, { 0, 2, 3, 5 });
    showAt(5100);
    EXPECT_EQ(repaintedRows(), (Rows { { 0, 0 }, { 3, 3 } }));
    showAt(6000);
    EXPECT_EQ(repaintedRows(), (Rows { { 0, 0 }, { 3, 3 } })) << "the flips fade";
    showAt(7200);
    EXPECT_EQ(repaintedRows(), (Rows { { 0, 0 }, { 3, 3 } })) << "one more shows them faded";
    showAt(8000);
    EXPECT_EQ(repaintedRows(), Rows {});
    suppressFlipsBefore(5200);
    showAt(8000);
    EXPECT_EQ(repaintedRows(), (Rows { { 0, 0 }, { 3, 3 } })) << "the mask greys the flipped bits";
    EXPECT_EQ(reset.count(), 1);

    send(9000, { 1, 2 });
    showAt(9000);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(reset.count(), 2);
    changes.clear();
    showAt(9100);
    EXPECT_EQ(model.rowCount(), 0) << "cleared with the tracker";
    send(9200, { 7, 7 });
    showAt(9200);
    EXPECT_EQ(rowText(1)[BitGridModel::Hex], QStringLiteral("07"));
    model.showNothing();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.shownId().has_value());
}

} // namespace
