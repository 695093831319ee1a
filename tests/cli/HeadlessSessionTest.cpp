#include "cli/RankCommand.h"
#include "cli/ReplayCommand.h"

#include "capture/FixedClock.h"
#include "capture/TemporaryFolder.h"
#include "capture/session/SessionFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using vexmoor::SessionState;

class HeadlessSessionTest : public testing::Test {
protected:
    int run(const std::vector<std::string>& arguments)
    {
        std::istringstream in;
        out.str({});
        err.str({});
        const auto parsed = vexmoor::CommandLine::parse(arguments);
        if (!parsed.options) {
            err << parsed.error;
            return -1;
        }
        if (parsed.options->mode == vexmoor::CommandLine::Mode::Rank)
            return vexmoor::RankCommand(in, out, err).run(*parsed.options);
        return vexmoor::ReplayCommand(in, out, err, clock).run(*parsed.options);
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return path(name);
    }

    std::string read(const std::string& name) const
    {
        std::ifstream file(folder / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    // Twenty seconds at 10 Hz: 3A1's byte 1 bit 3 follows a switch pressed at 5 s and 12 s, 2B0's
    // byte 0 counts, 0F0 lies below the program's minimum identifier and 1C0 is ignored.
    std::string drive()
    {
        std::string log;
        char line[160];
        for (int tick = 0; tick < 200; ++tick) {
            const double seconds = 1000.0 + tick * 0.1;
            const int switchOn = tick >= 52 && tick < 122 ? 0x08 : 0x00;
            std::snprintf(line, sizeof line,
                          "(%.6f) can0 3A1#00%02X\n(%.6f) can0 2B0#%02X\n(%.6f) can0 0F0#01\n(%.6f) can0 1C0#%02X\n",
                          seconds, switchOn, seconds + 0.01, tick & 0xFF, seconds + 0.02, seconds + 0.03, tick & 1);
            log += line;
        }
        return write("drive.log", log);
    }

    // What a person set up in the window: a name, an ignored identifier, every identifier shown, the
    // switch's signal, two presses marked and the counter's bits set aside.
    std::string session()
    {
        SessionState state;
        state.options.minimumId = "0";
        state.ignoredIds = { "1C0" };
        state.names = { { "3A1", "Switch panel" }, { "7FF", "Not seen yet" } };
        state.dbc = SessionState::Dbc { "BO_ 929 Panel: 2 BCM\n SG_ Switch : 11|1@1+ (1,0) [0|1] \"\" Vector__XXX\n",
                                        "panel.dbc" };
        state.marks = { { 1'005'100'000, "on" }, { 1'012'000'000, "off" } };
        state.suppressed = { { "2B0", { 0xFF } } };
        return write("drive.vexmoor", vexmoor::SessionFile::write(state));
    }

    vexmoor::test::TemporaryFolder temporary;
    fs::path folder = temporary.path();
    vexmoor::test::FixedClock clock { { 8, 0, 0 } };
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(HeadlessSessionTest, TheSessionARunLeavesGivesTheSameTableDecodingAndRankingAgain)
{
    const std::string log = drive();
    ASSERT_EQ(run({ "--replay", log, "--session", session(), "--csv", path("first.csv"), "--decode",
                    path("first-decoded.csv"), "--save-session", path("replayed.vexmoor") }),
              0)
        << err.str();
    const std::string table = read("first.csv");
    EXPECT_NE(table.find("\r\n3A1,"), std::string::npos);
    EXPECT_NE(table.find("Switch panel"), std::string::npos) << "the session's name";
    EXPECT_NE(table.find("\r\nF0,"), std::string::npos) << "the session's minimum identifier";
    EXPECT_EQ(table.find("1C0"), std::string::npos) << "the session's ignore list";
    EXPECT_NE(read("first-decoded.csv").find("Panel,Switch,1,1"), std::string::npos) << "the session's signals";

    ASSERT_EQ(run({ "--replay", log, "--session", path("replayed.vexmoor"), "--csv", path("again.csv"), "--decode",
                    path("again-decoded.csv") }),
              0)
        << err.str();
    EXPECT_EQ(read("again.csv"), table);
    EXPECT_EQ(read("again-decoded.csv"), read("first-decoded.csv"));
    EXPECT_NE(read("replayed.vexmoor").find("\"Not seen yet\""), std::string::npos) << "a name whose row never came";

    ASSERT_EQ(run({ "--rank", log, "--session", path("drive.vexmoor"), "--save-session", path("ranked.vexmoor") }), 0)
        << err.str();
    const std::string ranking = out.str();
    EXPECT_NE(ranking.find("\n1,3A1,1,3,2,0,"), std::string::npos) << ranking;
    EXPECT_EQ(ranking.find(",2B0,0,"), std::string::npos) << "the counter's bits were set aside";
    ASSERT_EQ(run({ "--rank", log, "--session", path("ranked.vexmoor") }), 0) << err.str();
    EXPECT_EQ(out.str(), ranking);
}

TEST_F(HeadlessSessionTest, TheCommandLineWinsOverTheSession)
{
    const std::string log = drive();
    const std::string drive = session();
    ASSERT_EQ(run({ "--replay", log, "--session", drive, "--min-id", "250", "--csv", path("table.csv") }), 0);
    EXPECT_EQ(read("table.csv").find("\r\nF0,"), std::string::npos);

    // Marks far from the switch, and a window of their own: the switch is not what follows them.
    const std::string marks = write("other.marks", "1001.0\n1018.0\n");
    ASSERT_EQ(run({ "--rank", log, "--session", drive, "--marks", marks, "--window", "0,0.05" }), 0) << err.str();
    EXPECT_EQ(out.str().find(",3A1,1,3,2,"), std::string::npos) << out.str();
}

TEST_F(HeadlessSessionTest, ASessionThatCannotServeStopsTheRunBeforeItStarts)
{
    const std::string log = drive();
    EXPECT_EQ(run({ "--replay", log, "--session", write("broken.vexmoor", "{\n\"format\": \"vexmoor-session\",\n"),
                    "--csv", path("table.csv") }),
              2);
    EXPECT_TRUE(err.str().starts_with("vexmoor: broken.vexmoor: line ")) << err.str();
    EXPECT_FALSE(fs::exists(folder / "table.csv"));

    const std::string plain = write("plain.vexmoor", vexmoor::SessionFile::write(SessionState {}));
    EXPECT_EQ(run({ "--replay", log, "--session", plain, "--decode", path("decoded.csv") }), 2);
    EXPECT_EQ(err.str(), "vexmoor: --decode needs signals, and '" + plain + "' holds none: give --dbc FILE\n");
    EXPECT_EQ(run({ "--rank", log, "--session", plain }), 2);
    EXPECT_EQ(err.str(), "vexmoor: '" + plain + "' holds no marks to rank against: give --marks FILE\n");

    EXPECT_EQ(run({ "--rank", log, "--session", session(), "--save-session", path("no/such/folder/s.vexmoor") }), 2);
    EXPECT_TRUE(err.str().starts_with("vexmoor: cannot write '" + path("no/such/folder/s.vexmoor") + "': "))
        << err.str();
}

} // namespace
