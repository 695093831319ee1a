#include "capture/record/MessageTable.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using vexmoor::MessageColumn;
using vexmoor::MessageTable;

std::vector<std::string> canIdsOf(const MessageTable& table)
{
    std::vector<std::string> ids;
    for (int position = 1; position <= table.rowCount(); ++position)
        ids.push_back(table.canId(position));
    return ids;
}

TEST(MessageTableTest, RemovingARowMovesTheLaterOnesUpAndKeepsTheLookupByCanId)
{
    MessageTable table;
    for (const char* id : { "2A8", "64", "7FF", "100" })
        table.appendRow(id);

    table.removeRow(2);

    EXPECT_EQ(canIdsOf(table), (std::vector<std::string> { "2A8", "7FF", "100" }));
    EXPECT_TRUE(table.rowsWithCanId("64").empty());
    ASSERT_EQ(table.rowsWithCanId("7FF").size(), 1u);
    EXPECT_EQ(table.rowsWithCanId("7FF").front(), &table.row(2));

    table.appendRow("64");
    ASSERT_EQ(table.rowsWithCanId("64").size(), 1u);
    EXPECT_EQ(table.rowsWithCanId("64").front(), &table.row(4));
}

TEST(MessageTableTest, FindsEveryRowOfACanIdInTableOrderAndMatchesExactly)
{
    MessageTable table;
    table.appendRow("2A8");
    table.appendRow("64");
    table.appendRow("2A8");

    const auto rows = table.rowsWithCanId("2A8");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], &table.row(1));
    EXPECT_EQ(rows[1], &table.row(3));
    EXPECT_TRUE(table.rowsWithCanId("2a8").empty());
    EXPECT_TRUE(table.rowsWithCanId("02A8").empty());

    table.removeRow(1);
    ASSERT_EQ(table.rowsWithCanId("2A8").size(), 1u);
    EXPECT_EQ(table.rowsWithCanId("2A8").front(), &table.row(2));

    table.clear();
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_TRUE(table.rowsWithCanId("2A8").empty());
}

TEST(MessageTableTest, WritesCellsOneToSevenButNeverTheCanIdNorARowThatIsNotThere)
{
    MessageTable table;
    table.appendRow("2A8");
    table.setCell(1, MessageColumn::MessageName, "Door lock");

    EXPECT_EQ(table.cell(1, MessageColumn::MessageName), "Door lock");
    EXPECT_EQ(table.cell(1, MessageColumn::Message), "");
    EXPECT_THROW(table.setCell(1, MessageColumn::CanId, "64"), std::invalid_argument);
    EXPECT_THROW(table.setCell(2, MessageColumn::MessageName, "x"), std::out_of_range);
    EXPECT_THROW((void)table.canId(0), std::out_of_range);
    EXPECT_THROW(table.removeRow(2), std::out_of_range);
    EXPECT_EQ(table.rowCount(), 1);
}

} // namespace
