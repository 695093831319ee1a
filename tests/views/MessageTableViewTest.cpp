#include "views/MessageTableView.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "views/Artwork.h"
#include "views/MessageTableModel.h"

#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using vexmoor::MessageTableModel;
using vexmoor::MessageTableView;

// The test run keeps its settings apart from the user's; each test starts from none.
class MessageTableViewTest : public testing::Test {
protected:
    MessageTableViewTest()
    {
        EXPECT_TRUE(QStandardPaths::isTestModeEnabled());
        QSettings().clear();
    }
    ~MessageTableViewTest() override { QSettings().clear(); }

    std::unique_ptr<MessageTableView> makeView()
    {
        auto view = std::make_unique<MessageTableView>();
        view->setModel(&model);
        return view;
    }

    static std::vector<std::string> menuText(const MessageTableView& view)
    {
        std::vector<std::string> lines;
        for (QAction* entry : view.columnMenu()->actions())
            lines.push_back(entry->objectName().toStdString() + " " + entry->text().toStdString()
                            + (entry->isCheckable() && entry->isChecked() ? " [x]" : " [ ]"));
        return lines;
    }

    vexmoor::test::FixedClock clock;
    vexmoor::CaptureSession session { clock };
    MessageTableModel model { session.table() };
};

TEST_F(MessageTableViewTest, TheHeaderMenuHidesOnlyTheTrackedColumnsAndTheNextViewRemembers)
{
    auto view = makeView();
    EXPECT_EQ(view->columnMenu()->objectName(), QStringLiteral("mnuTableColumns"));
    EXPECT_EQ(menuText(*view),
              (std::vector<std::string> { "mnuColumnData Data [x]", "mnuColumnPeriod Period (ms) [x]",
                                          "mnuColumnRate Rate (Hz) [x]", "mnuColumnDbcMessage DBC Message [x]" }));
    // The Bus column is in sight only while rows are kept per bus.
    for (int column = 0; column < model.columnCount(); ++column)
        EXPECT_EQ(view->isColumnHidden(column), column == MessageTableModel::kBusColumn) << column;

    view->columnMenu()->findChild<QAction*>(QStringLiteral("mnuColumnData"))->trigger();
    view->columnMenu()->findChild<QAction*>(QStringLiteral("mnuColumnRate"))->trigger();
    EXPECT_TRUE(view->isColumnHidden(MessageTableModel::kDataColumn));
    EXPECT_FALSE(view->isColumnHidden(MessageTableModel::kPeriodColumn));
    EXPECT_TRUE(view->isColumnHidden(MessageTableModel::kRateColumn));

    auto next = makeView();
    EXPECT_EQ(menuText(*next),
              (std::vector<std::string> { "mnuColumnData Data [ ]", "mnuColumnPeriod Period (ms) [x]",
                                          "mnuColumnRate Rate (Hz) [ ]", "mnuColumnDbcMessage DBC Message [x]" }));
    for (int column = 0; column < model.columnCount(); ++column)
        EXPECT_EQ(next->isColumnHidden(column),
                  column == MessageTableModel::kDataColumn || column == MessageTableModel::kRateColumn
                      || column == MessageTableModel::kBusColumn)
            << column;

    next->columnMenu()->findChild<QAction*>(QStringLiteral("mnuColumnData"))->trigger();
    EXPECT_FALSE(next->isColumnHidden(MessageTableModel::kDataColumn));
    EXPECT_FALSE(makeView()->isColumnHidden(MessageTableModel::kDataColumn));
}

// Whether anything is painted between the first row's place and the banner.
bool paintsBelowTheFirstRow(MessageTableView& view)
{
    const QImage image = view.viewport()->grab().toImage();
    const int top = 2 * view.verticalHeader()->defaultSectionSize();
    const int bottom = image.height() - vexmoor::Artwork::tableBanner().height();
    const QRgb background = image.pixel(0, top);
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

TEST_F(MessageTableViewTest, AnEmptyTableSaysHowToBeginUntilItsFirstRow)
{
    auto view = makeView();
    view->resize(900, 500);
    view->show();
    EXPECT_TRUE(paintsBelowTheFirstRow(*view));

    session.ingestFrame(vexmoor::test::makeFrame(0x300, { 1 }), "can0");
    model.refresh();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(paintsBelowTheFirstRow(*view));
}

TEST_F(MessageTableViewTest, ARightClickOnTheHeaderOpensTheColumnMenu)
{
    auto view = makeView();
    view->show();
    QHeaderView* header = view->horizontalHeader();
    EXPECT_EQ(header->contextMenuPolicy(), Qt::CustomContextMenu);
    emit header->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(view->columnMenu()->isVisible());
    view->columnMenu()->hide();
}

} // namespace
