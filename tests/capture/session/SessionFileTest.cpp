#include "capture/session/SessionFile.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace {

using vexmoor::SessionFile;
using vexmoor::SessionState;

SessionState everyItem()
{
    SessionState state;
    state.options = { "250", "2000", "5000", "1000", "512" };
    state.ignoredIds = { "680", "7DF" };
    state.ignoredMessages = { "<680,1,2,>", "quote \" and back\\slash" };
    state.names = { { "2A8", "Doors \xC3\xBC" }, { "000007DF", "Diagnose" }, { "2A8", "Body doors", "body" } };
    state.suppressionWindowUs = 2'500'000;
    state.suppressed = { { "2A8", { 0x8000000000000001ULL } }, { "2A8", { 0x2 }, "body" } };
    state.marks = { { 1'733'700'000'123'456, "lights on" }, { 1'733'700'004'000'000, "" } };
    state.rankingBeforeUs = 500'000;
    state.rankingAfterUs = 2'000'000;
    state.dbc = SessionState::Dbc { "BO_ 680 DOORS: 2 BCM\n SG_ OPEN : 0|1@1+ (1,0) [0|1] \"\" X\n", "doors.dbc" };
    SessionState::PlotEntry bytes { "3E9", 1, 2, true, std::nullopt, "", "" };
    SessionState::PlotEntry bit { "3E9", 2, 1, false, 5, "", "" };
    SessionState::PlotEntry signal { "2A8", 0, 1, false, std::nullopt, "DOORS", "OPEN" };
    SessionState::PlotEntry onBody { "3E9", 2, 1, false, 5, "", "", "body" };
    state.plotted = { bytes, bit, signal, onBody };
    state.rowsPerBus = true;
    state.dbcBus = "body";
    state.hiddenColumns = { "DBC Message" };
    state.windowGeometry = "AdnQywADAAA=";
    state.windowState = "AAAA/wAAAAD9";
    state.lastSource = "slcan:/dev/ttyACM0";
    state.lastLog = "/home/me/drive.log";
    return state;
}

// Every item comes back as it was written, the written text is stable, and keys this version does
// not know are kept where they were.
TEST(SessionFileTest, EveryItemRoundTripsAndUnknownKeysAreKept)
{
    const std::string written = SessionFile::write(everyItem());
    const auto read = SessionFile::read(written);
    ASSERT_TRUE(std::holds_alternative<SessionState>(read)) << std::get<SessionFile::Error>(read).what;
    const SessionState& state = std::get<SessionState>(read);
    const SessionState expected = everyItem();
    EXPECT_EQ(state.options, expected.options);
    EXPECT_EQ(state.ignoredMessages, expected.ignoredMessages);
    EXPECT_EQ(state.names, expected.names);
    EXPECT_EQ(state.suppressed, expected.suppressed);
    EXPECT_EQ(state.marks, expected.marks);
    EXPECT_EQ(state.dbc, expected.dbc);
    EXPECT_EQ(state.plotted, expected.plotted);
    EXPECT_TRUE(state.rowsPerBus);
    EXPECT_EQ(state.dbcBus, expected.dbcBus);
    EXPECT_EQ(SessionFile::write(state), written);
    // A session of one bus is written as before: no bus anywhere.
    EXPECT_EQ(SessionFile::write(SessionState {}).find("bus"), std::string::npos);

    std::string withExtra = written;
    withExtra.insert(withExtra.find("  \"options\""), "  \"from_a_friend\": {\"a\": [1, 2.5, null, true]},\n");
    const auto extended = SessionFile::read(withExtra);
    ASSERT_TRUE(std::holds_alternative<SessionState>(extended));
    const std::string rewritten = SessionFile::write(std::get<SessionState>(extended));
    EXPECT_NE(rewritten.find("\"from_a_friend\": {\n    \"a\": [\n      1,\n      2.5,\n      null,\n      true"),
              std::string::npos)
        << rewritten;
}

struct RefusalCase {
    const char* name;
    const char* text;
    int line;
    const char* what;
};

void PrintTo(const RefusalCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SessionRefusalTest : public testing::TestWithParam<RefusalCase> { };

TEST_P(SessionRefusalTest, IsRefusedWholeWithTheLineAndWhatIsWrong)
{
    const auto read = SessionFile::read(GetParam().text);
    ASSERT_TRUE(std::holds_alternative<SessionFile::Error>(read));
    EXPECT_EQ(std::get<SessionFile::Error>(read).line, GetParam().line);
    EXPECT_EQ(std::get<SessionFile::Error>(read).what, GetParam().what);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SessionRefusalTest,
    testing::Values(
        RefusalCase { "BrokenJson", "{\"format\": \"vexmoor-session\",\n\"version\": 1,\n\"marks\": [\n}", 4,
                      "expected a value" },
        RefusalCase { "WrongTypeAtAKey", "{\"format\": \"vexmoor-session\",\n\"version\": 1,\n\n\"marks\": {}\n}", 4,
                      "\"marks\" should be a list" },
        RefusalCase { "WrongTypeInsideAList",
                      "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"marks\": [\n{\"time_us\": \"soon\"}]}", 3,
                      "\"time_us\" should be a number" },
        RefusalCase { "NewerVersion", "{\"format\": \"vexmoor-session\",\n \"version\": 2}", 2,
                      "version 2 comes from a later Vexmoor; this one reads version 1" },
        RefusalCase { "NoSessionFile", "{\"format\": \"other\", \"version\": 1}", 1,
                      "\"format\" should be \"vexmoor-session\": this is no session file" },
        RefusalCase { "LoneSurrogate", "{\"format\": \"vexmoor-session\", \"version\": 1, \"last_log\": \"\\udc00\"}",
                      1, "a lone low surrogate in \\u escapes" },
        RefusalCase {
            "AnIntervalTheOptionsRefuse",
            "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"options\": {\n\"poll_interval_ms\": \"-5\"}}", 3,
            "\"poll_interval_ms\" should be a whole number of milliseconds from 0 to 2147483647" },
        RefusalCase {
            "ANameTheCodePageLacks",
            "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"names\": [{\"id\": \"2A8\", \"name\": \"\u4e2d\"}]}",
            2, "\"name\" holds a character that Windows-1252 lacks" },
        RefusalCase {
            "ABrokenDbc",
            "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"dbc\": {\"path\": \"\",\n\"text\": \"BO_ x\"}}", 3,
            "the DBC text in \"dbc\" has an error: line 1, column 5: expected a message identifier after BO_" },
        RefusalCase {
            "NotAnIdentifier",
            "{\"format\": \"vexmoor-session\", \"version\": 1,\n\"names\": [{\"id\": \"2G8\", \"name\": \"x\"}]}", 2,
            "\"id\" should be an identifier in hexadecimal" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
