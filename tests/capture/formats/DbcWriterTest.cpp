#include "capture/formats/DbcWriter.h"
#include "capture/CaptureTestSupport.h"
#include "capture/formats/DbcTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace vexmoor;
using vexmoor::test::expectSameDefinitions;
using vexmoor::test::kFullDbc;
using vexmoor::test::readDbc;

TEST(DbcWriterTest, AFileInTheWritersOwnFormIsWrittenBackByteForByte)
{
    EXPECT_EQ(DbcWriter::write(readDbc(kFullDbc)), kFullDbc);
}

TEST(DbcWriterTest, WritesSectionsInTheirOrderAndNumbersInTheirShortestExactForm)
{
    const auto written = DbcWriter::write(readDbc("VAL_ 2 B 1 \"On\";\n"
                                                  "BO_ 2 Second: 1 Vector__XXX\n"
                                                  " SG_ B : 0|1@1+ (1.0,0.0) [0|1E0] \"\" Vector__XXX\n"
                                                  "CM_ \"note\";\n"
                                                  "BO_ 1 First: 8 X\n"
                                                  " SG_ Z : 8|8@1+ (0.10,-1000000) [-1.5e-7|2.50] \"\" X\n"
                                                  " SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n"));
    EXPECT_EQ(written.substr(written.find("BO_ ")),
              "BO_ 1 First: 8 X\n"
              " SG_ Z : 8|8@1+ (0.1,-1000000) [-1.5e-07|2.5] \"\" X\n"
              " SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n"
              "\n"
              "BO_ 2 Second: 1 Vector__XXX\n"
              " SG_ B : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n"
              "\n"
              "CM_ \"note\";\n"
              "\n"
              "VAL_ 2 B 1 \"On\" ;\n");
}

MessageDefinition messageNamed(std::string name, std::uint32_t id, bool extended)
{
    MessageDefinition message;
    message.name = std::move(name);
    message.id = id;
    message.extended = extended;
    return message;
}

SignalDefinition signalAt(std::string name, std::uint16_t startBit, std::uint8_t length)
{
    SignalDefinition signal;
    signal.name = std::move(name);
    signal.startBit = startBit;
    signal.length = length;
    return signal;
}

TEST(DbcWriterTest, ADatabaseMadeHereGetsTheOpeningSectionsAndWhatItsAttributesNeed)
{
    SignalDatabase database;
    MessageDefinition extended = messageNamed("Late", 5, true);
    extended.cycleTimeMs = 100;
    MessageDefinition standard = messageNamed("Early", 5, false);
    standard.length = 2;
    standard.signalDefinitions.push_back(signalAt("Own", 12, 4));
    ASSERT_TRUE(database.addMessage(extended));
    ASSERT_TRUE(database.addMessage(standard));
    EXPECT_FALSE(database.addMessage(standard));
    // Signals added later come after the message's own, by start bit.
    ASSERT_TRUE(database.addSignal(5, false, signalAt("High", 8, 4)));
    ASSERT_TRUE(database.addSignal(5, false, signalAt("Low", 0, 8)));
    EXPECT_FALSE(database.addSignal(6, false, signalAt("None", 0, 1)));

    const std::string written = DbcWriter::write(database);
    EXPECT_TRUE(written.starts_with("VERSION \"\"\n\nNS_ :\n\tNS_DESC_\n\tCM_\n")) << written;
    EXPECT_EQ(written.substr(written.find("BS_:")),
              "BS_:\n"
              "\n"
              "BU_:\n"
              "\n"
              "BO_ 5 Early: 2 Vector__XXX\n"
              " SG_ Own : 12|4@1+ (1,0) [0|0] \"\" Vector__XXX\n"
              " SG_ Low : 0|8@1+ (1,0) [0|0] \"\" Vector__XXX\n"
              " SG_ High : 8|4@1+ (1,0) [0|0] \"\" Vector__XXX\n"
              "\n"
              "BO_ 2147483653 Late: 8 Vector__XXX\n"
              "\n"
              "BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\n"
              "\n"
              "BA_ \"GenMsgCycleTime\" BO_ 2147483653 100;\n");
    EXPECT_EQ(readDbc(written).messages(), database.messages());
}

TEST(DbcWriterTest, WritesLineEndsAsReadAndUtf8WhereWindows1252CannotHoldTheText)
{
    auto database = readDbc("CM_ \"\xE9t\xE9\r\nhiver\";\r\n");
    ASSERT_EQ(database.encoding, TextEncoding::Windows1252);
    EXPECT_TRUE(DbcWriter::write(database).ends_with("CM_ \"\xE9t\xE9\r\nhiver\";\r\n"));

    database.comments = { "\u20AC and \u65E5" };
    EXPECT_TRUE(DbcWriter::write(database).ends_with("CM_ \"\xE2\x82\xAC and \xE6\x97\xA5\";\r\n"));
    // "Ã¼" in Windows-1252 is the UTF-8 of "ü", which it would read back as.
    database.comments = { "\u00C3\u00BC" };
    EXPECT_EQ(readDbc(DbcWriter::write(database)).comments, database.comments);
}

class DbcRealFileTest : public testing::TestWithParam<std::string> { };

TEST_P(DbcRealFileTest, ReadsWritesAndReadsBackTheSameDefinitionsAndBytes)
{
    const auto text = vexmoor::test::readTestData("dbc/" + GetParam());
    if (!text)
        GTEST_SKIP() << "the real DBC files are not beside the project";
    const auto database = readDbc(*text);
    const std::string written = DbcWriter::write(database);
    const auto again = readDbc(written);
    expectSameDefinitions(again, database);
    EXPECT_EQ(DbcWriter::write(again), written);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, DbcRealFileTest,
                         testing::Values("chrysler_cusw.dbc", "honda_civic_hatchback_ex_2017_can_generated.dbc"));

TEST(DbcRealFileTest, HoldsKnownMessagesAndSignals)
{
    const auto chrysler = vexmoor::test::readTestData("dbc/chrysler_cusw.dbc");
    const auto honda = vexmoor::test::readTestData("dbc/honda_civic_hatchback_ex_2017_can_generated.dbc");
    if (!chrysler || !honda)
        GTEST_SKIP() << "the real DBC files are not beside the project";

    const auto chryslerDatabase = readDbc(*chrysler);
    const auto eps = chryslerDatabase.message(492, false);
    ASSERT_NE(eps, nullptr);
    EXPECT_EQ(eps->name, "EPS_STATUS");
    const auto& torque = eps->signalDefinitions.front();
    EXPECT_EQ(torque.name, "TORQUE_DRIVER");
    EXPECT_EQ(std::tie(torque.startBit, torque.length, torque.byteOrder, torque.factor, torque.offset),
              std::make_tuple(3, 12, ByteOrder::BigEndian, 1.0, -1024.0));

    const auto hondaDatabase = readDbc(*honda);
    EXPECT_EQ(hondaDatabase.headerSections, HeaderSections {});
    const auto kinematics = hondaDatabase.message(148, false);
    ASSERT_NE(kinematics, nullptr);
    EXPECT_EQ(kinematics->name, "KINEMATICS");
    const auto& acceleration = kinematics->signalDefinitions.at(1);
    EXPECT_EQ(acceleration.name, "LONG_ACCEL");
    EXPECT_EQ(std::tie(acceleration.startBit, acceleration.length, acceleration.valueType, acceleration.factor),
              std::make_tuple(24, 9, SignalValueType::Signed, -0.02));
}

} // namespace
