#include "app/MessageTableModel.h"
#include "capture/CaptureSession.h"
#include "capture/CaptureTestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using vexmoor::CaptureSession;
using vexmoor::MessageColumn;
using vexmoor::MessageTableModel;

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

} // namespace
