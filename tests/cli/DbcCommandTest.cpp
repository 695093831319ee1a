#include "cli/DbcCommand.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class DbcCommandTest : public testing::Test {
protected:
    int run(const std::vector<std::string>& arguments)
    {
        out.str({});
        err.str({});
        const auto parsed = vexmoor::CommandLine::parse(arguments);
        if (!parsed.options) {
            err << parsed.error;
            return -1;
        }
        return vexmoor::DbcCommand(out, err).run(*parsed.options);
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }

    static std::string read(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    vexmoor::test::TemporaryFolder temporary;
    fs::path folder = temporary.path();
    std::ostringstream out;
    std::ostringstream err;
};

// Checked alone, a database is summed up; saved, it reads again the same and saves to the same bytes;
// with an error, nothing is written and the line and column are named.
TEST_F(DbcCommandTest, ChecksSavesAndRefusesAWholeFile)
{
    const std::string dbc = write("doors.dbc",
                                  "BO_ 160 Doors: 2 BCM\n"
                                  " SG_ Open : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n"
                                  " SG_ Temp : 8|8@1- (0.5,-10) [-74|53.5] \"C\" Vector__XXX\n\n"
                                  "EV_ Light: 0 [0|1] \"\" 0 1 DUMMY_NODE_VECTOR0 Vector__XXX;\n");
    ASSERT_EQ(run({ "--dbc", dbc }), 0) << err.str();
    EXPECT_EQ(out.str(), dbc + ": 1 messages, 2 signals, 1 statements kept unread\n");

    const std::string saved = (folder / "saved.dbc").string();
    ASSERT_EQ(run({ "--dbc", dbc, "--save-dbc", saved }), 0) << err.str();
    ASSERT_EQ(run({ "--dbc", saved }), 0) << err.str();
    EXPECT_EQ(out.str(), saved + ": 1 messages, 2 signals, 1 statements kept unread\n");
    const std::string again = (folder / "again.dbc").string();
    ASSERT_EQ(run({ "--dbc", saved, "--save-dbc", again }), 0) << err.str();
    EXPECT_EQ(read(again), read(saved));

    const std::string broken = write("broken.dbc", "BO_ 160 Doors: 2 BCM\n SG_ Open : 0|1@3+ (1,0) [0|1] \"\" X\n");
    const std::string notSaved = (folder / "not-saved.dbc").string();
    EXPECT_EQ(run({ "--dbc", broken, "--save-dbc", notSaved }), 2);
    EXPECT_EQ(err.str().rfind("vexmoor: " + broken + ": line 2, column ", 0), 0u) << err.str();
    EXPECT_FALSE(fs::exists(notSaved));
}

} // namespace
