#include "cli/ReplayCommand.h"
#include "capture/FixedClock.h"

#include "BoardStreamGenerator.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

namespace fs = std::filesystem;

class ReplayCommandTest : public testing::Test {
protected:
    int run(const std::vector<std::string>& arguments, const std::string& standardInput = {})
    {
        std::istringstream in(standardInput);
        out.str({});
        err.str({});
        const auto parsed = vexmoor::CommandLine::parse(arguments);
        if (!parsed.options) {
            err << parsed.error;
            return -1;
        }
        vexmoor::ReplayCommand command(in, out, err, clock);
        return command.run(*parsed.options);
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }

    static std::string read(const fs::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    std::vector<std::string> filesInFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    vexmoor::test::TemporaryFolder temporary;
    fs::path folder = temporary.path();
    vexmoor::test::FixedClock clock { { 8, 0, 0 } };
    std::ostringstream out;
    std::ostringstream err;
};

constexpr std::string_view kHeader
    = "CAN_ID,CAN Messages (Includding CAN_ID),Msg Count,Message Name,TIME,Change,ASCII,Change Count\r\n";

TEST_F(ReplayCommandTest, WritesTheTableOfTheStreamAsCsv)
{
    const std::string input = write("stream.txt", "CAN BUS Shield init ok!\r\n<680,65,>\r\n<100,1,>\r\n<680,66,>\r\n");

    ASSERT_EQ(run({ "--replay", input, "--chunk", "3" }), 0) << err.str();
    EXPECT_EQ(out.str(), std::string(kHeader) + "2A8,\"<680,66,>\",2,,800,\"Data Changed - <680,65,>\",B,2\r\n");

    const std::string csv = (folder / "table.csv").string();
    ASSERT_EQ(run({ "--replay=" + input, "--min-id", "100", "--csv", csv }), 0) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(read(csv),
              std::string(kHeader) + "2A8,\"<680,66,>\",2,,800,\"Data Changed - <680,65,>\",B,2\r\n"
                  + "64,\"<100,1,>\",1,,,,,1\r\n");
    EXPECT_EQ(filesInFolder(), (std::vector<std::string> { "stream.txt", "table.csv" }));
}

TEST_F(ReplayCommandTest, TheResultDoesNotDependOnThePollSize)
{
    vexmoor::tools::BoardStreamGenerator generator({ .seed = 11, .identifierCount = 30 });
    const std::string stream = generator.records(2000);

    ASSERT_EQ(run({ "--replay", "-" }, stream), 0);
    const std::string table = out.str();
    EXPECT_GT(std::count(table.begin(), table.end(), '\n'), 10);
    for (const char* chunk : { "1", "5", "29", "100000" }) {
        ASSERT_EQ(run({ "--replay", "-", "--chunk", chunk }, stream), 0);
        EXPECT_EQ(out.str(), table) << "chunk " << chunk;
    }
}

// The same three frames as each format writes them, all at 08:00:0x UTC, so that the frames' own
// time of day reads as the test clock's.
struct FormatCase {
    std::string name;
    std::string content;
};

void PrintTo(const FormatCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ReplayFormatTest : public ReplayCommandTest, public testing::WithParamInterface<FormatCase> { };

TEST_P(ReplayFormatTest, EveryFormatGivesTheTableOfItsFrames)
{
    const std::string input = write("drive", GetParam().content);
    ASSERT_EQ(run({ "--replay", input, "--chunk", "5" }), 0) << err.str();
    EXPECT_EQ(out.str(),
              std::string(kHeader) + "2A8,\"<680,66,>\",2,,800,\"Data Changed - <680,65,>\",B,2\r\n"
                  + "18EFFF18,\"<418381592,1,2,>\",1,,,,,1\r\n");
    EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReplayFormatTest,
    testing::Values(
        FormatCase { "Candump",
                     "(1696752000.000100) can0 2A8#41\n(1696752000.500000) can0 18EFFF18#0102\n"
                     "(1696752000.900000) can0 2A8#42\n" },
        FormatCase { "GvretWithDir",
                     "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\r\n"
                     "1696752000000100,000002A8,false,Rx,0,1,41,\r\n1696752000500000,18EFFF18,true,Rx,0,2,01,02,\r\n"
                     "1696752000900000,000002A8,false,Rx,0,1,42,\r\n" },
        FormatCase { "GvretWithoutDir",
                     "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n1696752000000100,2A8,false,0,1,41\n"
                     "1696752000500000,18EFFF18,true,0,2,01,02\n1696752000900000,2A8,false,0,1,42\n" },
        FormatCase { "BoardText", "CAN BUS Shield init ok!\r\n<680,65,>\r\n<418381592,1,2,>\r\n<680,66,>\r\n" }),
    [](const auto& testCase) { return testCase.param.name; });

TEST_F(ReplayCommandTest, ALogReplaysPastMalformedLinesAndAClockJumpAndSaysWhatItSkipped)
{
    const std::string input = write("drive.log",
                                    "(1696752000.000100) can0 2A8#41\n"
                                    "garbage\n"
                                    "(1696752005.000000) can0 20000080#0000000000000000\n"
                                    "(12.000000) can0 2A8#R\n"
                                    "(13.000000) can0 2A8#42");
    ASSERT_EQ(run({ "--replay", input }), 0) << err.str();
    EXPECT_EQ(out.str(), std::string(kHeader) + "2A8,\"<680,66,>\",3,,0013,\"Data Changed - <680,>\",B,3\r\n");
    EXPECT_EQ(err.str(), "vexmoor: '" + input + "': 3 frames replayed, 1 malformed lines and 1 error frames skipped\n");
}

TEST_F(ReplayCommandTest, AnInterfaceOfALogIsChosenByName)
{
    const std::string input = write("two.log",
                                    "(1696752000.000000) can0 2A8#41\n(1696752000.000000) can1 2A8#42\n"
                                    "(1696752000.000000) can1 300#01\n");
    ASSERT_EQ(run({ "--replay", input, "--interface", "can1" }), 0) << err.str();
    EXPECT_EQ(out.str(), std::string(kHeader) + "2A8,\"<680,66,>\",1,,,,,1\r\n300,\"<768,1,>\",1,,,,,1\r\n");

    EXPECT_EQ(run({ "--replay", input, "--interface", "can7" }), 2);
    EXPECT_EQ(err.str(),
              "vexmoor: cannot replay '" + input + "': it holds no frames of interface 'can7', only of can0, can1\n");
}

TEST_F(ReplayCommandTest, RowsPerBusKeepARowForEachInterfaceAndNameItInTheOutputs)
{
    const std::string input = write("two.log",
                                    "(1696752000.000000) can0 2A8#41\n(1696752000.000000) can1 2A8#42\n"
                                    "(1696752000.100000) can1 2A8#43\n");
    const std::string bitStats = (folder / "bits.csv").string();
    ASSERT_EQ(run({ "--replay", input, "--rows-per-bus", "--bit-stats", bitStats }), 0) << err.str();
    EXPECT_EQ(out.str(),
              std::string(kHeader).insert(kHeader.size() - 2, ",Bus") + "2A8,\"<680,65,>\",1,,,,,1,can0\r\n"
                  + "2A8,\"<680,67,>\",2,,800,\"Data Changed - <680,66,>\",C,2,can1\r\n");
    const std::string bits = read(bitStats);
    EXPECT_TRUE(bits.starts_with("bus,id,byte,bit,flips,value\r\ncan0,2A8,0,0,0,1\r\n")) << bits;
    EXPECT_NE(bits.find("can1,2A8,0,0,1,1\r\n"), std::string::npos) << bits;

    ASSERT_EQ(run({ "--replay", input }), 0) << err.str();
    EXPECT_EQ(out.str(), std::string(kHeader) + "2A8,\"<680,67,>\",3,,800,\"Data Changed - <680,66,>\",C,3\r\n");
}

TEST_F(ReplayCommandTest, AnEmptyFileIsAnEmptyTableAndAFileThatIsNoLogIsRefused)
{
    EXPECT_EQ(run({ "--replay", write("empty", "") }), 0);
    EXPECT_EQ(out.str(), std::string(kHeader));

    const std::string picture = write("picture.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");
    EXPECT_EQ(run({ "--replay", picture, "--csv", (folder / "t.csv").string() }), 2);
    EXPECT_EQ(err.str(),
              "vexmoor: cannot replay '" + picture + "': it is not a candump log, a GVRET CSV or a board stream\n");
    EXPECT_FALSE(fs::exists(folder / "t.csv"));

    EXPECT_EQ(run({ "--replay", write("board.txt", "<680,1,>\r\n"), "--interface", "can0" }), 2);
}

// A little database of one message below the minimum identifier: its frames are decoded all the
// same, a frame too short for a signal gives that signal no line, and a frame without a definition none.
constexpr std::string_view kDoorsDbc = "BO_ 160 Doors: 2 BCM\n"
                                       " SG_ Open : 0|1@1+ (1,0) [0|1] \"\" Vector__XXX\n"
                                       " SG_ Temp : 8|8@1- (0.5,-10) [-74|53.5] \"\xC2\xB0"
                                       "C\" Vector__XXX\n"
                                       "\n"
                                       "VAL_ 160 Open 0 \"Closed\" 1 \"Open, latched\" ;\n";

TEST_F(ReplayCommandTest, DecodesEveryFrameOfADefinedIdentifierWhateverTheTableKeeps)
{
    const std::string dbc = write("doors.dbc", std::string(kDoorsDbc));
    const std::string log = write("drive.log",
                                  "(1.000000) can0 0A0#0114\n(1.500000) can0 0A0#01\n"
                                  "(2.000000) can0 123#00\n(2.250000) can0 0A0#00F0\n");
    const std::string decoded = (folder / "decoded.csv").string();
    ASSERT_EQ(run({ "--replay", log, "--dbc", dbc, "--decode", decoded }), 0) << err.str();
    EXPECT_EQ(read(decoded),
              "time,interface,id,message,signal,raw,value,unit,text\r\n"
              "1.000000,can0,A0,Doors,Open,1,1,,\"Open, latched\"\r\n"
              "1.000000,can0,A0,Doors,Temp,20,0,\xC2\xB0"
              "C,\r\n"
              "1.500000,can0,A0,Doors,Open,1,1,,\"Open, latched\"\r\n"
              "2.250000,can0,A0,Doors,Open,0,0,,Closed\r\n"
              "2.250000,can0,A0,Doors,Temp,-16,-18,\xC2\xB0"
              "C,\r\n");

    // Board text has neither time stamps nor interfaces.
    ASSERT_EQ(run({ "--replay", write("board.txt", "<160,1,20,>\r\n"), "--dbc", dbc, "--decode", "-", "--csv",
                    (folder / "table.csv").string() }),
              0)
        << err.str();
    EXPECT_EQ(out.str(),
              "time,interface,id,message,signal,raw,value,unit,text\r\n"
              ",board,A0,Doors,Open,1,1,,\"Open, latched\"\r\n"
              ",board,A0,Doors,Temp,20,0,\xC2\xB0"
              "C,\r\n");

    // A database with an error stops the run before it starts, and names where.
    const std::string broken = write("broken.dbc", "BO_ 160 Doors: 2 BCM\n SG_ Open : 0|1@3+ (1,0) [0|1] \"\" X\n");
    EXPECT_EQ(run({ "--replay", log, "--dbc", broken, "--decode", decoded, "--csv", "-" }), 2);
    EXPECT_NE(err.str().find("broken.dbc: line 2, column "), std::string::npos) << err.str();
}

struct FailureCase {
    std::string name;
    std::vector<std::string> arguments; // "@" stands for the test's folder
    std::string message;
};

void PrintTo(const FailureCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ReplayFailureTest : public ReplayCommandTest, public testing::WithParamInterface<FailureCase> { };

TEST_P(ReplayFailureTest, ExplainsOnOneLineAndLeavesNoCsv)
{
    write("stream.txt", "<680,1,>\r\n");
    std::vector<std::string> arguments;
    for (std::string argument : GetParam().arguments) {
        if (const auto at = argument.find('@'); at != std::string::npos)
            argument.replace(at, 1, folder.string());
        arguments.push_back(argument);
    }

    EXPECT_EQ(run(arguments), 2);
    std::string expected = GetParam().message;
    if (const auto at = expected.find('@'); at != std::string::npos)
        expected.replace(at, 1, folder.string());
    EXPECT_EQ(err.str(), "vexmoor: " + expected + "\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(filesInFolder(), (std::vector<std::string> { "stream.txt" }));
}

INSTANTIATE_TEST_SUITE_P(Arguments, ReplayFailureTest,
                         testing::Values(FailureCase { "MissingInput",
                                                       { "--replay", "@/none.txt", "--csv", "@/t.csv" },
                                                       "cannot read '@/none.txt': No such file or directory" },
                                         FailureCase { "InputIsAFolder",
                                                       { "--replay", "@", "--csv", "@/t.csv" },
                                                       "cannot read '@': Is a directory" },
                                         FailureCase { "OutputInAMissingFolder",
                                                       { "--replay", "@/stream.txt", "--csv", "@/none/t.csv" },
                                                       "cannot write '@/none/t.csv': No such file or directory" },
                                         FailureCase { "OutputIsAFolder",
                                                       { "--replay", "@/stream.txt", "--csv", "@" },
                                                       "cannot write '@': Is a directory" }),
                         [](const auto& testCase) { return testCase.param.name; });

// A stream buffer that fails every read and every write, as a broken pipe or terminal would.
class FailingBuffer final : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("read"); }
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST_F(ReplayCommandTest, AFailingStandardStreamIsReportedWithoutAReasonItDidNotGive)
{
    const auto options = vexmoor::CommandLine::parse({ "--replay", "-" }).options;
    ASSERT_TRUE(options);
    FailingBuffer failing;
    std::istream failingInput(&failing);
    std::ostream failingOutput(&failing);
    std::istringstream records("<680,1,>\r\n");

    // A stale errno must not become the reason ("Success").
    errno = 0;
    EXPECT_EQ(vexmoor::ReplayCommand(failingInput, out, err, clock).run(*options), 2);
    EXPECT_EQ(err.str(), "vexmoor: cannot read standard input: the input stream failed\n");
    err.str({});
    errno = 0;
    EXPECT_EQ(vexmoor::ReplayCommand(records, failingOutput, err, clock).run(*options), 2);
    EXPECT_EQ(err.str(), "vexmoor: cannot write standard output: the output stream failed\n");
}

} // namespace

namespace {

// Flips counted against the identifier's frame just before, whatever the table keeps: 0x100 is
// below the minimum identifier and still counted; a remote frame and a shorter frame have no flips
// in the bytes they lack; the extended identifier keeps its candump width.
TEST_F(ReplayCommandTest, BitStatsCountEveryBitsFlipsOverTheWholeFile)
{
    const std::string log = write("flips.log",
                                  "(1.000000) can0 100#01\n"
                                  "(1.100000) can0 00000123#8000\n"
                                  "(1.200000) can0 100#03\n"
                                  "(1.300000) can0 100#R\n"
                                  "(1.400000) can0 100#02\n"
                                  "(1.500000) can0 00000123#0001\n"
                                  "(1.600000) can0 100#00FF\n");
    const std::string stats = (folder / "bits.csv").string();
    ASSERT_EQ(run({ "--replay", log, "--bit-stats", stats, "--csv", (folder / "table.csv").string() }), 0) << err.str();

    std::string expected = "id,byte,bit,flips,value\r\n";
    // 100: 01 -> 03 flips bit 1; the remote frame and the frame after it flip nothing; 02 -> 00 bit 1.
    const char* const bits100[]
        = { "0,0,0,0", "0,1,2,0", "0,2,0,0", "0,3,0,0", "0,4,0,0", "0,5,0,0", "0,6,0,0", "0,7,0,0",
            "1,0,0,1", "1,1,0,1", "1,2,0,1", "1,3,0,1", "1,4,0,1", "1,5,0,1", "1,6,0,1", "1,7,0,1" };
    for (const char* line : bits100)
        expected += std::string("100,") + line + "\r\n";
    // 00000123: 80 00 -> 00 01 flips byte 0 bit 7 and byte 1 bit 0.
    for (int byte = 0; byte < 2; ++byte)
        for (int bit = 0; bit < 8; ++bit) {
            const bool flipped = (byte == 0 && bit == 7) || (byte == 1 && bit == 0);
            const bool set = byte == 1 && bit == 0;
            expected += "00000123," + std::to_string(byte) + "," + std::to_string(bit) + (flipped ? ",1" : ",0")
                + (set ? ",1" : ",0") + "\r\n";
        }
    EXPECT_EQ(read(stats), expected);
}

// A CAN FD frame is a record like any other, with all its bytes: its row and the flips of all 512 bits.
TEST_F(ReplayCommandTest, ACanFdIdentifierFillsItsRowAndEveryBitOfTheBitStats)
{
    const std::string first = "41" + std::string(124, '0') + "00";
    const std::string second = "41" + std::string(124, '0') + "80";
    const std::string log
        = write("fd.log", "(1.000000) can0 1A0##1" + first + "\n(1.100000) can0 1A0##3" + second + "\n");
    const std::string stats = (folder / "bits.csv").string();
    ASSERT_EQ(run({ "--replay", log, "--min-id", "0", "--bit-stats", stats }), 0) << err.str();

    std::string record = "<416,65,";
    for (int byte = 1; byte < 63; ++byte)
        record += "0,";
    record += "128,>";
    EXPECT_NE(out.str().find("\r\n1A0,\"" + record + "\",2,,"), std::string::npos) << out.str();
    const std::string bits = read(stats);
    EXPECT_EQ(std::count(bits.begin(), bits.end(), '\n'), 1 + 512);
    EXPECT_NE(bits.find("\r\n1A0,63,7,1,1\r\n"), std::string::npos);
}

TEST_F(ReplayCommandTest, BitStatsThatCannotBeWrittenFailBeforeTheReplay)
{
    const std::string log = write("one.log", "(1.000000) can0 100#01\n");
    EXPECT_EQ(run({ "--replay", log, "--bit-stats", (folder / "missing" / "bits.csv").string() }), 2);
    EXPECT_NE(err.str().find("cannot write '"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
}

// A device given as an output is written through, never replaced by a file: a null device takes
// the table, a full one refuses it, and the refusal is the run's failure.
class ReplayDeviceTest : public ReplayCommandTest, public testing::WithParamInterface<const char*> { };

TEST_P(ReplayDeviceTest, AnOutputDeviceIsWrittenInPlaceAndItsRefusalFailsTheRun)
{
    const std::string log = write("one.log", "(1.000000) can0 100#01\n");
    const fs::path null = folder / "null";
    const fs::path full = folder / "full";
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0
        || ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "this machine does not allow making devices";

    EXPECT_EQ(run({ "--replay", log, GetParam(), null.string() }), 0) << err.str();
    EXPECT_EQ(run({ "--replay", log, GetParam(), full.string() }), 2);
    EXPECT_EQ(err.str(), "vexmoor: cannot write '" + full.string() + "': No space left on device\n");
    EXPECT_TRUE(fs::is_character_file(null) && fs::is_character_file(full));
    EXPECT_EQ(filesInFolder(), (std::vector<std::string> { "full", "null", "one.log" }));
}

INSTANTIATE_TEST_SUITE_P(Outputs, ReplayDeviceTest, testing::Values("--csv", "--bit-stats"));

} // namespace
