#include "capture/formats/TableCsvWriter.h"
#include "capture/record/MessageTable.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::MessageColumn;
using vexmoor::MessageTable;
using vexmoor::TableCsvWriter;

constexpr std::string_view kHeader
    = "CAN_ID,CAN Messages (Includding CAN_ID),Msg Count,Message Name,TIME,Change,ASCII,Change Count\r\n";

TEST(TableCsvWriterTest, QuotesOnlyFieldsThatNeedItAndEndsLinesWithCrLf)
{
    MessageTable table;
    auto& row = table.appendRow("2A8");
    row[MessageColumn::Message] = "<680,1,>";
    row[MessageColumn::MsgCount] = "3";
    row[MessageColumn::MessageName] = "say \"hi\"";
    row[MessageColumn::Time] = "143045";
    row[MessageColumn::Change] = "line\r\nbreak";
    row[MessageColumn::ChangeCount] = "1";
    table.appendRow("64");

    EXPECT_EQ(TableCsvWriter::toCsv(table),
              std::string(kHeader)
                  + "2A8,\"<680,1,>\",3,\"say \"\"hi\"\"\",143045,\"line\r\nbreak\",,1\r\n64,,,,,,,\r\n");
}

TEST(TableCsvWriterTest, ConvertsWindows1252CellsToUtf8)
{
    MessageTable table;
    table.appendRow("1")[MessageColumn::Ascii] = std::string("A\0\x80\x81\x9f\xa0\xe9\xff", 8);
    EXPECT_EQ(TableCsvWriter::toCsv(table),
              std::string(kHeader) + "1,,,,,," + std::string("A\0", 2)
                  + "\xe2\x82\xac\xc2\x81\xc5\xb8\xc2\xa0\xc3\xa9\xc3\xbf,\r\n");
}

} // namespace
