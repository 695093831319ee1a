#include "cli/AnatomyCommand.h"

#include "capture/TemporaryFolder.h"
#include "capture/formats/DbcReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class AnatomyCommandTest : public testing::Test {
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
        return vexmoor::AnatomyCommand(in, out, err).run(*parsed.options);
    }

    // Two buses: 1A0 on can0 with a counter in byte 0's low nibble, two readings and the sum of the bytes
    // in byte 3; 0F0 on can1, below the table's minimum identifier, whose byte 0 never changes.
    std::string drive()
    {
        std::string log;
        char line[96];
        for (int tick = 0; tick < 100; ++tick) {
            const int counter = tick % 16;
            const int reading = 30 + tick / 3;
            const int other = 90 + (tick * 7) % 11;
            std::snprintf(line, sizeof line, "(%d.000000) can0 1A0#%02X%02X%02X%02X\n(%d.500000) can1 0F0#11\n",
                          1000 + tick, counter, reading, other, (counter + reading + other) & 0xFF, 1000 + tick);
            log += line;
        }
        std::ofstream(folder / "drive.log", std::ios::binary) << log;
        return (folder / "drive.log").string();
    }

    vexmoor::test::TemporaryFolder temporary;
    fs::path folder = temporary.path();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(AnatomyCommandTest, WritesEveryIdentifiersFieldsAsCsv)
{
    ASSERT_EQ(run({ "--anatomy", drive() }), 0) << err.str();
    const std::string csv = out.str();
    EXPECT_EQ(csv.rfind("id,start_bit,length,byte_order,signed,kind,detail\r\n", 0), 0u) << csv;
    EXPECT_NE(csv.find("\r\nF0,0,8,1,+,constant,never changed\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n1A0,0,4,1,+,counter,step 1\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n1A0,24,8,1,+,checksum,sum of bytes\r\n"), std::string::npos) << csv;
    // Identifier 0F0 before 1A0, and within 1A0 byte 0's high nibble before its low one.
    EXPECT_LT(csv.find("F0,"), csv.find("1A0,"));
    EXPECT_LT(csv.find("1A0,4,4"), csv.find("1A0,0,4"));
}

TEST_F(AnatomyCommandTest, NamesTheBusFirstWithRowsPerBus)
{
    ASSERT_EQ(run({ "--anatomy", drive(), "--rows-per-bus" }), 0) << err.str();
    EXPECT_EQ(out.str().rfind("bus,id,start_bit,", 0), 0u);
    EXPECT_NE(out.str().find("\r\ncan1,F0,0,8,"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\r\ncan0,1A0,0,4,"), std::string::npos) << out.str();
}

// 2B0's number carries from byte 1 into byte 0, big endian; 3C0's never leaves byte 1, so it takes the
// order the log's other messages show.
TEST_F(AnatomyCommandTest, TakesTheLogsByteOrderForAMessageThatShowsNone)
{
    std::string log;
    char line[96];
    int rising = 200;
    int wandering = 100;
    for (int tick = 0; tick < 300; ++tick) {
        rising += 1 + tick * 7 % 5;
        wandering += tick * 7 % 5 - 2;
        std::snprintf(line, sizeof line, "(%d.0) can0 2B0#%02X%02X\n(%d.5) can0 3C0#00%02X\n", 1000 + tick, rising >> 8,
                      rising & 0xFF, 1000 + tick, wandering);
        log += line;
    }
    std::ofstream(folder / "orders.log", std::ios::binary) << log;
    ASSERT_EQ(run({ "--anatomy", (folder / "orders.log").string() }), 0) << err.str();
    EXPECT_NE(out.str().find("\r\n2B0,7,16,0,+,value,"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\r\n3C0,15,8,0,"), std::string::npos) << out.str();
}

TEST_F(AnatomyCommandTest, SavesTheFieldsThatMovedAsADbcFileThatReadsBack)
{
    const std::string dbc = (folder / "proposed.dbc").string();
    ASSERT_EQ(run({ "--anatomy", drive(), "--save-dbc", dbc }), 0) << err.str();
    std::ifstream file(dbc, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const auto read = vexmoor::DbcReader::read(text.str());
    ASSERT_TRUE(read.database);
    const vexmoor::MessageDefinition* message = read.database->message(0x1A0, false);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->name, "MSG_1A0");
    ASSERT_FALSE(message->signalDefinitions.empty());
    EXPECT_EQ(message->signalDefinitions.front().name, "COUNTER_1A0_0");

    EXPECT_EQ(run({ "--anatomy", drive(), "--save-dbc", (folder / "no" / "such.dbc").string() }), 2);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos) << err.str();
}

} // namespace
