#include "capture/CaptureTestSupport.h"
#include "capture/ranking/FieldSegmentation.h"
#include "capture/record/CaptureSession.h"
#include "views/BitGridModel.h"
#include "views/MessageTableModel.h"

#include <QColor>

#include <gtest/gtest.h>

#include <vector>

namespace {

using vexmoor::BitGridModel;
using vexmoor::CanFrame;
using vexmoor::FieldKind;
using vexmoor::MessageAnatomy;
using vexmoor::MessageTableModel;

constexpr std::uint32_t kId = 0x1A0;
constexpr std::int64_t kStartUs = 1'700'000'000'000'000;
constexpr int kFrames = 200;
constexpr std::int64_t kGapUs = 10'000;

// Frames whose fields cannot be mistaken: byte 0's low nibble counts by 1, byte 1 holds still and
// bytes 2 and 3 are a big-endian number rising by uneven small steps.
std::vector<CanFrame> drive()
{
    std::vector<CanFrame> frames;
    unsigned value = 0x12F0;
    for (int index = 0; index < kFrames; ++index) {
        value += 1 + static_cast<unsigned>(index * 7 % 5);
        frames.push_back(vexmoor::test::makeFrame(kId,
                                                  { static_cast<std::uint8_t>(index & 0x0F), 0x55,
                                                    static_cast<std::uint8_t>(value >> 8),
                                                    static_cast<std::uint8_t>(value & 0xFF), 0, 0, 0, 0 },
                                                  { .timestampUs = kStartUs + index * kGapUs }));
    }
    return frames;
}

// The views of one identifier's frames, with the fields proposed for them, or none.
class AnatomyViewsTest : public testing::Test {
protected:
    AnatomyViewsTest()
    {
        for (const CanFrame& frame : frames)
            session.ingestFrame(frame, "can0");
        framesClock.nowAtUs = frames.back().timestampUs;
        const auto lookup = [this](std::uint32_t id, bool extended, std::uint8_t bus) {
            return id == kId && !extended && bus == 0 && proposed ? &anatomy : nullptr;
        };
        bits.setClock(framesClock);
        bits.setAnatomyLookup(lookup);
        bits.showIdentifier(kId, false);
        table.setChanges(&session.changes());
        table.setClock(framesClock);
        table.setAnatomyLookup(lookup);
        table.refresh();
    }

    QVariant bit(int byte, int bit, int role) const
    {
        return bits.data(bits.index(byte, BitGridModel::Bit0 - bit), role);
    }
    QColor byteColour(int byte) const
    {
        const QVariantList colours
            = table.data(table.index(0, MessageTableModel::kDataColumn), MessageTableModel::ByteBackgroundsRole)
                  .toList();
        return colours.value(byte).value<QColor>();
    }

    std::vector<CanFrame> frames = drive();
    MessageAnatomy anatomy = vexmoor::FieldSegmentation::propose(frames);
    bool proposed = true;
    vexmoor::test::FixedClock clock;
    vexmoor::test::FixedFramesClock framesClock;
    vexmoor::CaptureSession session { clock };
    BitGridModel bits { session.changes() };
    MessageTableModel table { session.table() };
};

TEST_F(AnatomyViewsTest, EachBitIsTintedByItsFieldsKindAndTheFieldsAreParted)
{
    ASSERT_TRUE(anatomy.proposed);
    EXPECT_EQ(bit(0, 0, BitGridModel::FieldKindRole).toInt(), static_cast<int>(FieldKind::Counter));
    EXPECT_EQ(bit(3, 0, BitGridModel::FieldKindRole).toInt(), static_cast<int>(FieldKind::Value));
    EXPECT_TRUE(bit(0, 0, Qt::ToolTipRole).toString().contains(QStringLiteral("\ncounter, ")));
    // The counter's lowest bit lies on the grid's right border and above byte 1, which holds still.
    EXPECT_EQ(bit(0, 0, BitGridModel::FieldEdgesRole).toInt(), BitGridModel::BottomEdge);
    EXPECT_EQ(bit(3, 4, BitGridModel::FieldEdgesRole).toInt() & (BitGridModel::LeftEdge | BitGridModel::RightEdge), 0)
        << "inside the number";

    proposed = false;
    bits.anatomyChanged();
    EXPECT_FALSE(bit(0, 0, BitGridModel::FieldKindRole).isValid());
    EXPECT_FALSE(bit(0, 0, Qt::ToolTipRole).toString().contains(QStringLiteral("counter")));
}

// Every frame changes bytes 0 and 3; only the number's byte comes out of the grey, the counter's stays.
TEST_F(AnatomyViewsTest, ABusyByteOfAValueIsPaintedAsAChangeAndACountersStaysGrey)
{
    const QColor busy = MessageTableModel::kBusyColor;
    EXPECT_EQ(byteColour(0).rgb(), busy.rgb());
    EXPECT_TRUE(byteColour(3).isValid());
    EXPECT_NE(byteColour(3).rgb(), busy.rgb());

    proposed = false;
    EXPECT_EQ(byteColour(0).rgb(), busy.rgb());
    EXPECT_EQ(byteColour(3).rgb(), busy.rgb()) << "without a proposal, as before";
}

} // namespace
