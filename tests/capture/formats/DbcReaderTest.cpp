#include "capture/formats/DbcReader.h"
#include "capture/formats/DbcTestSupport.h"
#include "capture/formats/DbcWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using namespace vexmoor;
using vexmoor::test::kFullDbc;
using vexmoor::test::readDbc;

const MessageDefinition& messageOf(const SignalDatabase& database, std::uint32_t id, bool extended = false)
{
    static const MessageDefinition kNone;
    const MessageDefinition* message = database.message(id, extended);
    EXPECT_NE(message, nullptr) << id;
    return message ? *message : kNone;
}

const SignalDefinition& signalOf(const SignalDatabase& database, std::uint32_t id, std::string_view name,
                                 bool extended = false)
{
    static const SignalDefinition kNone;
    for (const auto& signal : messageOf(database, id, extended).signalDefinitions) {
        if (signal.name == name)
            return signal;
    }
    ADD_FAILURE() << "no signal " << name;
    return kNone;
}

struct StatementCase {
    std::string statement;
    std::function<void(const SignalDatabase&)> check;
};

void PrintTo(const StatementCase& testCase, std::ostream* out)
{
    *out << testCase.statement;
}

class DbcStatementTest : public testing::TestWithParam<StatementCase> { };

TEST_P(DbcStatementTest, ReadsWhatTheStatementDefines)
{
    GetParam().check(readDbc(kFullDbc));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, DbcStatementTest,
    testing::Values(
        StatementCase { "VERSION",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(database.version, "1.2");
                            EXPECT_EQ(database.headerSections, (HeaderSections { true, true, true, true }));
                            EXPECT_EQ(database.encoding, TextEncoding::Utf8);
                        } },
        StatementCase { "NS_",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(database.newSymbols, (std::vector<std::string> { "CM_", "BA_DEF_" }));
                            EXPECT_EQ(database.bitTiming, "");
                        } },
        StatementCase { "BU_",
                        [](const SignalDatabase& database) {
                            ASSERT_EQ(database.nodes.size(), 2U);
                            EXPECT_EQ(database.nodes[1].name, "ECU2");
                        } },
        StatementCase { "BO_",
                        [](const SignalDatabase& database) {
                            ASSERT_EQ(database.messages().size(), 2U);
                            const auto& engine = messageOf(database, 256);
                            EXPECT_EQ(engine.name, "Engine");
                            EXPECT_EQ(engine.length, 8);
                            EXPECT_EQ(engine.sender, "ECU1");
                            const auto& body = messageOf(database, 0x200, true);
                            EXPECT_EQ(body.length, 16);
                            EXPECT_EQ(body.sender, "");
                        } },
        StatementCase { "SG_",
                        [](const SignalDatabase& database) {
                            const auto& speed = signalOf(database, 256, "Speed");
                            EXPECT_EQ(speed.startBit, 0);
                            EXPECT_EQ(speed.length, 16);
                            EXPECT_EQ(speed.byteOrder, ByteOrder::LittleEndian);
                            EXPECT_EQ(speed.valueType, SignalValueType::Unsigned);
                            EXPECT_EQ(speed.factor, 0.1);
                            EXPECT_EQ(speed.maximum, 6553.5);
                            EXPECT_EQ(speed.unit, "km/h");
                            EXPECT_EQ(speed.receivers, std::vector<std::string> { "ECU2" });
                            const auto& temperature = signalOf(database, 256, "Temperature");
                            EXPECT_EQ(temperature.startBit, 23);
                            EXPECT_EQ(temperature.byteOrder, ByteOrder::BigEndian);
                            EXPECT_EQ(temperature.valueType, SignalValueType::Signed);
                            EXPECT_EQ(temperature.offset, -40);
                            EXPECT_EQ(temperature.minimum, -40);
                            EXPECT_EQ(temperature.unit, "\u00B0C");
                            EXPECT_EQ(temperature.receivers, (std::vector<std::string> { "ECU1", "ECU2" }));
                            EXPECT_TRUE(signalOf(database, 256, "Mode").receivers.empty());
                        } },
        StatementCase { "SG_ multiplexing",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(signalOf(database, 256, "Mode").multiplexRole, MultiplexRole::Multiplexor);
                            const auto& pressure = signalOf(database, 256, "Pressure");
                            EXPECT_EQ(pressure.multiplexRole, MultiplexRole::Multiplexed);
                            EXPECT_EQ(pressure.multiplexValue, 1U);
                            EXPECT_EQ(signalOf(database, 256, "Speed").multiplexRole, MultiplexRole::None);
                        } },
        StatementCase { "CM_",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(database.comments, std::vector<std::string> { "Network note" });
                            EXPECT_EQ(database.nodes[0].comment, "Engine controller");
                            EXPECT_EQ(messageOf(database, 256).comment, "Engine state");
                            EXPECT_EQ(signalOf(database, 256, "Speed").comment, "Vehicle speed");
                        } },
        StatementCase { "VAL_TABLE_",
                        [](const SignalDatabase& database) {
                            const std::vector<ValueTable> tables { { "Gears", { { 0, "P" }, { 1, "R" } } } };
                            EXPECT_EQ(database.valueTables, tables);
                        } },
        StatementCase { "VAL_",
                        [](const SignalDatabase& database) {
                            const std::vector<ValueDescription> values { { 0, "Idle" }, { 1, "Run" } };
                            EXPECT_EQ(signalOf(database, 256, "Mode").valueDescriptions, values);
                        } },
        StatementCase { "BA_DEF_",
                        [](const SignalDatabase& database) {
                            const std::vector<AttributeDefinition> definitions {
                                { AttributeObject::Message, "GenMsgCycleTime", "INT", { { "0" }, { "65535" } } },
                                { AttributeObject::Signal, "Kind", "ENUM", { { "a", true }, { "b", true } } },
                                { AttributeObject::Network, "BusType", "STRING", {} },
                            };
                            EXPECT_EQ(database.attributeDefinitions, definitions);
                        } },
        StatementCase { "BA_DEF_DEF_",
                        [](const SignalDatabase& database) {
                            const std::vector<AttributeDefault> defaults { { "GenMsgCycleTime", { "0" } } };
                            EXPECT_EQ(database.attributeDefaults, defaults);
                        } },
        StatementCase { "BA_",
                        [](const SignalDatabase& database) {
                            const std::vector<AttributeValue> values {
                                { "BusType", AttributeObject::Network, 0, false, "", { "CAN", true } },
                                { "Kind", AttributeObject::Signal, 256, false, "Speed", { "1" } },
                            };
                            EXPECT_EQ(database.attributeValues, values);
                            EXPECT_EQ(messageOf(database, 256).cycleTimeMs, 100U);
                            EXPECT_EQ(messageOf(database, 0x200, true).cycleTimeMs, std::nullopt);
                        } },
        StatementCase { "SIG_VALTYPE_",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(signalOf(database, 0x200, "Level", true).valueType, SignalValueType::Float);
                            EXPECT_EQ(signalOf(database, 0x200, "Energy", true).valueType, SignalValueType::Double);
                        } },
        StatementCase {
            "BO_TX_BU_",
            [](const SignalDatabase& database) {
                EXPECT_EQ(messageOf(database, 256).transmitters, (std::vector<std::string> { "ECU1", "ECU2" }));
            } },
        StatementCase { "SG_MUL_VAL_",
                        [](const SignalDatabase& database) {
                            const std::vector<MultiplexValueRanges> ranges {
                                { 256, false, "Pressure", "Mode", { { 1, 1 }, { 3, 5 } } }
                            };
                            EXPECT_EQ(database.multiplexValueRanges, ranges);
                        } },
        StatementCase { "EV_",
                        [](const SignalDatabase& database) {
                            EXPECT_EQ(database.keptStatements,
                                      std::vector<std::string> {
                                          "EV_ Env: 0 [0|1] \"\" 0 1 DUMMY_NODE_VECTOR0 Vector__XXX;" });
                        } }),
    [](const auto& testCase) {
        std::string name = testCase.param.statement;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(DbcReaderTest, AFileWithoutOpeningSectionsIsReadAsOpenpilotWritesIt)
{
    const auto database = readDbc("CM_ \"AUTOGENERATED FILE, DO NOT EDIT\";\n\n\n"
                                  "CM_ \"Imported file _common.dbc starts here\";\n"
                                  "BO_ 304 GAS_PEDAL_2: 8 PCM\n"
                                  " SG_ ENGINE_TORQUE_ESTIMATE : 7|16@0- (1,0) [-1000|1000] \"Nm\" EON\n\n"
                                  "CM_ SG_ 304 \"Seems to be platform-agnostic\";\n"
                                  "CM_ SG_ 304 ENGINE_TORQUE_ESTIMATE \"Estimate\";\n"
                                  "BO_ 13274 LKAS_HUD_A: 5 ADAS\n");
    EXPECT_EQ(database.headerSections, HeaderSections {});
    EXPECT_EQ(database.comments.size(), 2U);
    ASSERT_EQ(database.messages().size(), 2U);
    EXPECT_EQ(signalOf(database, 304, "ENGINE_TORQUE_ESTIMATE").comment, "Estimate");
    // A standard identifier beyond 0x7FF is the file's own business.
    EXPECT_EQ(messageOf(database, 13274).name, "LKAS_HUD_A");
    // A comment on a signal that names none is kept as written.
    EXPECT_EQ(database.keptStatements, std::vector<std::string> { "CM_ SG_ 304 \"Seems to be platform-agnostic\";" });
}

TEST(DbcReaderTest, AQuotedStringMayRunOverLinesAndHoldEscapedQuotes)
{
    const auto database = readDbc("BO_ 1 M: 8 X\r\n SG_ S : 0|8@1+ (1,0) [0|1] \"a \\\"b\\\"\" X\r\n"
                                  "CM_ SG_ 1 S \"first line\r\r\nsays \\\"hi\\\" \\\\ and C:\\temp\";\r\n");
    const auto& signal = signalOf(database, 1, "S");
    EXPECT_EQ(signal.unit, "a \"b\"");
    EXPECT_EQ(signal.comment, "first line\nsays \"hi\" \\ and C:\\temp");
    EXPECT_TRUE(database.crlfLineEnds);
}

TEST(DbcReaderTest, StatementsAboutWhatTheFileDoesNotDefineAndUnknownOnesAreKeptInFileOrder)
{
    const std::string_view text = "BO_ 1 M: 8 X\n"
                                  " SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\n\n"
                                  "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 Vector__XXX\n"
                                  " SG_ Free : 0|8@1+ (1,0) [0|0] \"\" Vector__XXX\n\n"
                                  "CM_ SG_ 2 S \"no such message\";\n"
                                  "SGTYPE_ Kind : 8@1+ (1,0) [0|255] \"\" Gears;\n"
                                  "VAL_ 1 Other 0 \"no such signal\" ;\n"
                                  "BA_DEF_REL_ BU_SG_REL_ \"Hops\" INT 0 9;\n"
                                  "CM_ EV_ Env \"an environment\nvariable; a \\\"quoted\\\" one\";\n"
                                  "VAL_ Env 0 \"Off\" ;\n"
                                  "SIG_GROUP_ 1 Group 1 : S;\n"
                                  "BA_REL_ \"Hops\" BU_SG_REL_ X SG_ 1 S 2;\n";
    const auto database = readDbc(text);
    const std::vector<std::string> kept {
        "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 Vector__XXX\n"
        " SG_ Free : 0|8@1+ (1,0) [0|0] \"\" Vector__XXX",
        "CM_ SG_ 2 S \"no such message\";",
        "SGTYPE_ Kind : 8@1+ (1,0) [0|255] \"\" Gears;",
        "VAL_ 1 Other 0 \"no such signal\" ;",
        "BA_DEF_REL_ BU_SG_REL_ \"Hops\" INT 0 9;",
        "CM_ EV_ Env \"an environment\nvariable; a \\\"quoted\\\" one\";",
        "VAL_ Env 0 \"Off\" ;",
        "SIG_GROUP_ 1 Group 1 : S;",
        "BA_REL_ \"Hops\" BU_SG_REL_ X SG_ 1 S 2;",
    };
    EXPECT_EQ(database.keptStatements, kept);
    EXPECT_EQ(database.messages().size(), 1U);
}

struct EncodingCase {
    std::string name;
    std::string unitBytes;
    TextEncoding encoding;
    std::string unit; // UTF-8
};

class DbcEncodingTest : public testing::TestWithParam<EncodingCase> { };

TEST_P(DbcEncodingTest, ReadsTextAsUtf8WhenItAllIsElseAsWindows1252AndWritesItBackSo)
{
    const std::string line = " SG_ T : 0|8@1+ (1,0) [0|1] \"" + GetParam().unitBytes + "\" X\n";
    const auto database = readDbc("BO_ 1 M: 8 X\n" + line);
    EXPECT_EQ(database.encoding, GetParam().encoding);
    EXPECT_EQ(signalOf(database, 1, "T").unit, GetParam().unit);
    EXPECT_NE(DbcWriter::write(database).find(line), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DbcEncodingTest,
    testing::Values(EncodingCase { "Ascii", "degC", TextEncoding::Utf8, "degC" },
                    EncodingCase { "Utf8",
                                   "\xC2\xB0"
                                   "C \xC3\xBC",
                                   TextEncoding::Utf8, "\u00B0C \u00FC" },
                    EncodingCase { "Latin1",
                                   "\xB0"
                                   "C \xFC",
                                   TextEncoding::Windows1252, "\u00B0C \u00FC" },
                    EncodingCase { "Windows1252", "\x80 \x9D", TextEncoding::Windows1252, "\u20AC \u009D" },
                    // An overlong form is no UTF-8.
                    EncodingCase { "Overlong", "\xC0\xAF", TextEncoding::Windows1252, "\u00C0\u00AF" }),
    [](const auto& testCase) { return testCase.param.name; });

struct ErrorCase {
    std::string name;
    std::string text;
    std::size_t line;
    std::size_t column;
    std::string message;
};

void PrintTo(const ErrorCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class DbcErrorTest : public testing::TestWithParam<ErrorCase> { };

TEST_P(DbcErrorTest, RefusesTheFileNamingLineColumnAndWhatWasExpected)
{
    const auto result = DbcReader::read(GetParam().text);
    EXPECT_FALSE(result.database.has_value());
    EXPECT_EQ(result.error.text(),
              "line " + std::to_string(GetParam().line) + ", column " + std::to_string(GetParam().column) + ": "
                  + GetParam().message);
}

const std::string kMessage = "VERSION \"\"\n\nBO_ 1 M: 8 X\n";

INSTANTIATE_TEST_SUITE_P(
    Errors, DbcErrorTest,
    testing::Values(
        ErrorCase { "ByteOrder", kMessage + " SG_ S : 0|8@2+ (1,0) [0|1] \"\" X\n", 4, 13,
                    "expected '@0' or '@1' after the signal size" },
        ErrorCase { "Sign", kMessage + " SG_ S : 0|8@1 (1,0) [0|1] \"\" X\n", 4, 15,
                    "expected '+' or '-' after the byte order" },
        ErrorCase { "NoLength", kMessage + " SG_ S : 0|@1+ (1,0) [0|1] \"\" X\n", 4, 12,
                    "expected the signal size in bits" },
        ErrorCase { "LengthZero", kMessage + " SG_ S : 0|0@1+ (1,0) [0|1] \"\" X\n", 4, 12,
                    "expected a signal size of 1 to 64 bits" },
        ErrorCase { "Length65", kMessage + " SG_ S : 0|65@1+ (1,0) [0|1] \"\" X\n", 4, 12,
                    "expected a signal size of 1 to 64 bits" },
        ErrorCase { "StartBit", "BO_ 1 M: 64 X\n SG_ S : 512|1@1+ (1,0) [0|1] \"\" X\n", 2, 10,
                    "expected a start bit of at most 511, the last bit of 64 bytes" },
        ErrorCase { "OutsideLittleEndian", "BO_ 1 M: 1 X\n SG_ S : 4|5@1+ (1,0) [0|1] \"\" X\n", 2, 10,
                    "signal S lies beyond the message's 1 bytes" },
        ErrorCase { "OutsideBigEndian", "BO_ 1 M: 1 X\n SG_ S : 3|5@0+ (1,0) [0|1] \"\" X\n", 2, 10,
                    "signal S lies beyond the message's 1 bytes" },
        ErrorCase { "NoMultiplexor", kMessage + " SG_ S x1 : 0|8@1+ (1,0) [0|1] \"\" X\n", 4, 8,
                    "expected ':' after the signal name, or a multiplex indicator 'M' or 'm' and a number" },
        ErrorCase { "BothMultiplexedAndMultiplexor", kMessage + " SG_ S m1M : 0|8@1+ (1,0) [0|1] \"\" X\n", 4, 8,
                    "a signal that is both multiplexed and a multiplexor (m1M) is not supported" },
        ErrorCase { "Factor", kMessage + " SG_ S : 0|8@1+ (x,0) [0|1] \"\" X\n", 4, 18, "expected a factor" },
        ErrorCase { "Range", kMessage + " SG_ S : 0|8@1+ (1,0) [0 1] \"\" X\n", 4, 26,
                    "expected '|' after the minimum" },
        ErrorCase { "Unit", kMessage + " SG_ S : 0|8@1+ (1,0) [0|1] X\n", 4, 29,
                    "expected a quoted unit after the range" },
        ErrorCase { "ColumnsCountCharacters", kMessage + " SG_ S : 0|8@1+ (1,0) [0|1] \"\xC2\xB0\" X (\n", 4, 35,
                    "expected a receiving node" },
        ErrorCase { "SignalWithoutMessage", "VERSION \"\"\n SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\n", 2, 2,
                    "expected a BO_ line before the signal" },
        ErrorCase { "MessageName", "BO_ 1 : 8 X\n", 1, 7, "expected a message name" },
        ErrorCase { "MessageColon", "BO_ 1 M 8 X\n", 1, 9, "expected ':' after the message name" },
        ErrorCase { "MessageSize", "BO_ 1 M: 65 X\n", 1, 10, "expected a message size of 0 to 64 bytes" },
        ErrorCase { "MessageIdentifier", "BO_ 4294967296 M: 8 X\n", 1, 5,
                    "expected a message identifier of at most 4294967295" },
        ErrorCase { "DuplicateMessage", kMessage + "\nBO_ 1 N: 8 X\n", 5, 5, "another message has identifier 1" },
        ErrorCase { "StringNotClosed", "CM_ BO_ 1 \"open\n\nBO_ 1 M: 8 X\n", 1, 11,
                    "expected '\"' to close the string that starts here" },
        ErrorCase { "CommentWithoutSemicolon", "CM_ \"note\"\r\nBO_ 1 M: 8 X\r\n", 2, 1,
                    "expected ';' after the comment" },
        ErrorCase { "UnknownStatementNotEnded", "VERSION \"\"\nEV_ Env: 0 [0|1] \"\" 0 1 X Y\n", 2, 1,
                    "expected ';' to end the EV_ statement" },
        ErrorCase { "NoKeyword", "VERSION \"\"\n  \"stray\";\n", 2, 3,
                    "expected a keyword such as BO_ or CM_ to start a statement" },
        ErrorCase { "ValueDescription", kMessage + "VAL_ 1 S 0 \"a\" one \"b\";\n", 4, 16,
                    "expected a raw value or ';'" },
        ErrorCase { "ValueType", kMessage + " SG_ S : 0|32@1+ (1,0) [0|1] \"\" X\nSIG_VALTYPE_ 1 S : 3;\n", 5, 20,
                    "expected 0, 1 (float) or 2 (double) as the signal's value type" },
        ErrorCase { "FloatOfTheWrongSize", kMessage + " SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\nSIG_VALTYPE_ 1 S : 1;\n", 5,
                    1, "signal S is 8 bits long, but a float has 32" },
        ErrorCase { "AttributeObject", "BA_DEF_ XX_ \"A\" INT 0 1;\n", 1, 9,
                    "expected BU_, BO_, SG_, EV_ or a quoted attribute name" },
        ErrorCase { "MultiplexRange", kMessage + "SG_MUL_VAL_ 1 S M 1-2, 3;\n", 4, 24,
                    "expected a range of values such as 1-3, or ';'" }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace
