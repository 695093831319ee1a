// The decoder beside canmatrix (Debian: python3-canmatrix), an independent reading of the same DBC
// text: both byte orders, signed, float and double, 64 bits and a multiplexed pair. Skipped where no
// python3 on the machine has canmatrix.
#include "capture/formats/DbcReader.h"
#include "capture/formats/DbcWriter.h"
#include "capture/signals/FrameDecoder.h"

#include "capture/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vexmoor {
namespace {

constexpr const char* kDbc = R"(VERSION ""

NS_ :

BS_:

BU_: ECU

BO_ 291 Mixed: 8 ECU
 SG_ Flag : 0|1@1+ (1,0) [0|1] "" Vector__XXX
 SG_ Counter : 4|12@1+ (0.5,-10) [0|0] "" Vector__XXX
 SG_ Temperature : 23|16@0- (0.1,-40) [0|0] "degC" Vector__XXX
 SG_ Trim : 33|7@1- (-2,3) [0|0] "" Vector__XXX
 SG_ Motor : 42|15@0+ (1,0) [0|0] "" Vector__XXX

BO_ 2566844672 Floats: 8 ECU
 SG_ Ratio : 0|32@1- (1,0) [0|0] "" Vector__XXX
 SG_ Level : 39|32@0- (2,1) [0|0] "" Vector__XXX

BO_ 1280 Muxed: 8 ECU
 SG_ Mode M : 0|4@1+ (1,0) [0|0] "" Vector__XXX
 SG_ Speed m1 : 8|16@1+ (0.01,0) [0|0] "" Vector__XXX
 SG_ Torque m2 : 15|16@0- (0.5,-100) [0|0] "" Vector__XXX
 SG_ Gear : 56|8@1+ (1,0) [0|0] "" Vector__XXX

BO_ 1536 Wide: 8 ECU
 SG_ Odometer : 0|64@1+ (1,0) [0|0] "" Vector__XXX

BO_ 1537 Precise: 8 ECU
 SG_ Position : 7|64@0- (1,-0.5) [0|0] "" Vector__XXX

SIG_VALTYPE_ 2566844672 Ratio : 1;
SIG_VALTYPE_ 2566844672 Level : 1;
SIG_VALTYPE_ 1537 Position : 2;
)";

// Prints "= frame signal raw physical" for each value canmatrix decodes from each frame given as
// identifier#data (hex; an identifier of more than three digits is extended).
constexpr const char* kScript = R"(import sys
import canmatrix.formats
db = canmatrix.formats.loadp_flat(sys.argv[1])
for arg in sys.argv[2:]:
    ident, data = arg.split('#')
    frame = next(f for f in db.frames
                 if f.arbitration_id.id == int(ident, 16) and f.arbitration_id.extended == (len(ident) > 3))
    for name, value in frame.decode(bytes.fromhex(data)).items():
        print('=', arg, name, repr(value.raw_value), repr(float(value.phys_value)))
)";

const std::vector<std::string> kFrames {
    "123#0123456789ABCDEF",      "123#FEDCBA9876543210", "123#A55AF00F3CC3E11E", "18FEF100#0000C03FBDCCCCCD",
    "18FEF100#DB0F4940C2F60000", "500#3134120000000099", "500#02FFFE0000000007", "500#F301020304050607",
    "600#FFFFFFFFFFFFFFFF",      "600#0123456789ABCDEF", "601#400921FB54442D18", "601#C0FE240C9FBE76C9",
};

std::string pythonWithCanmatrix()
{
    for (const std::string python : { "/usr/bin/python3", "python3" }) {
        if (std::system((python + " -c 'import canmatrix.formats' >/dev/null 2>&1").c_str()) == 0)
            return python;
    }
    return {};
}

std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, read);
    pclose(pipe);
    return output;
}

CanFrame frameOf(const std::string& text)
{
    const std::size_t hash = text.find('#');
    CanFrame frame;
    frame.id = static_cast<std::uint32_t>(std::stoul(text.substr(0, hash), nullptr, 16));
    frame.extended = hash > 3;
    for (std::size_t digit = hash + 1; digit + 1 < text.size(); digit += 2)
        frame.data.at(frame.length++) = static_cast<std::uint8_t>(std::stoul(text.substr(digit, 2), nullptr, 16));
    return frame;
}

bool sameRaw(const RawValue& raw, const std::string& text)
{
    if (const auto* whole = std::get_if<std::uint64_t>(&raw)) {
        std::uint64_t theirs = 0;
        return std::from_chars(text.data(), text.data() + text.size(), theirs).ec == std::errc() && theirs == *whole;
    }
    if (const auto* whole = std::get_if<std::int64_t>(&raw)) {
        std::int64_t theirs = 0;
        return std::from_chars(text.data(), text.data() + text.size(), theirs).ec == std::errc() && theirs == *whole;
    }
    return std::strtod(text.c_str(), nullptr) == std::get<double>(raw);
}

TEST(CanmatrixCrossCheckTest, DecodesAsCanmatrixDoes)
{
    const std::string python = pythonWithCanmatrix();
    if (python.empty())
        GTEST_SKIP() << "no python3 with canmatrix (Debian: python3-canmatrix)";
    const test::TemporaryFolder folder;
    // The file goes through this program's reader and writer first: canmatrix reads what we write.
    const DbcReader::Result read = DbcReader::read(kDbc);
    ASSERT_TRUE(read.database.has_value()) << read.error.text();
    std::ofstream(folder.path() / "cross.dbc") << DbcWriter::write(*read.database);
    std::ofstream(folder.path() / "decode.py") << kScript;
    std::string command
        = python + " " + (folder.path() / "decode.py").string() + " " + (folder.path() / "cross.dbc").string();
    for (const std::string& frame : kFrames)
        command += " " + frame;
    const std::string output = run(command + " 2>&1");

    // What canmatrix decoded, frame by frame: each signal's raw value as text and its physical value.
    std::map<std::string, std::map<std::string, std::pair<std::string, double>>> theirs;
    std::istringstream lines(output);
    for (std::string marker, frame, name, raw, physical; lines >> marker;) {
        if (marker == "=" && lines >> frame >> name >> raw >> physical)
            theirs[frame][name] = { raw, std::strtod(physical.c_str(), nullptr) };
        else
            lines.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    ASSERT_EQ(theirs.size(), kFrames.size()) << output;

    const FrameDecoder decoder(read.database->messages());
    for (const std::string& text : kFrames) {
        SCOPED_TRACE(text);
        std::size_t decoded = 0;
        ASSERT_TRUE(decoder.decode(
            frameOf(text), [&](const MessageDecoder& message, std::size_t index, const SignalValue& value) {
                const std::string& name = message.definition().signalDefinitions[index].name;
                ASSERT_EQ(theirs[text].count(name), 1U) << name << " is not among canmatrix's values";
                const auto& [raw, physical] = theirs[text][name];
                EXPECT_TRUE(sameRaw(value.raw, raw)) << name << ": canmatrix reads " << raw;
                EXPECT_NEAR(value.physical, physical, 1e-9 * std::max(1.0, std::fabs(physical))) << name;
                ++decoded;
            }));
        EXPECT_EQ(decoded, theirs[text].size());
    }
}

} // namespace
} // namespace vexmoor
