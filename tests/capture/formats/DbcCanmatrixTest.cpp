// canmatrix, a second program that reads DBC files, reads what our writer wrote of the real files as
// the same messages and signals as we hold.
#include "capture/CaptureTestSupport.h"
#include "capture/TemporaryFolder.h"
#include "capture/formats/DbcTestSupport.h"
#include "capture/formats/DbcWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using namespace vexmoor;

struct ListedSignal {
    std::string name;
    unsigned startBit = 0;
    unsigned length = 0;
    bool littleEndian = false;
    bool isSigned = false;
    double factor = 0;
    double offset = 0;
    bool operator==(const ListedSignal&) const = default;
};

struct ListedMessage {
    std::uint32_t id = 0;
    bool extended = false;
    std::string name;
    std::vector<ListedSignal> signalDefinitions;
    bool operator==(const ListedMessage&) const = default;
};

void PrintTo(const ListedMessage& message, std::ostream* out)
{
    *out << message.id << (message.extended ? "x " : " ") << message.name << ":";
    for (const auto& signal : message.signalDefinitions)
        *out << " " << signal.name << " " << signal.startBit << "|" << signal.length << "@" << signal.littleEndian
             << (signal.isSigned ? "-" : "+") << " (" << signal.factor << "," << signal.offset << ")";
}

void sortById(std::vector<ListedMessage>& messages)
{
    std::sort(messages.begin(), messages.end(),
              [](const auto& a, const auto& b) { return std::tie(a.id, a.extended) < std::tie(b.id, b.extended); });
}

// The Debian package installs canmatrix for the system's Python, which need not be the first on the path.
std::optional<std::string> pythonWithCanmatrix()
{
    for (const std::string python : { "/usr/bin/python3", "python3" }) {
        if (std::system((python + " -c 'import canmatrix' >/dev/null 2>&1").c_str()) == 0)
            return python;
    }
    return std::nullopt;
}

std::vector<ListedMessage> parseListing(const std::string& listing)
{
    std::vector<ListedMessage> messages;
    std::istringstream lines(listing);
    std::string kind;
    while (lines >> kind) {
        if (kind == "M") {
            messages.emplace_back();
            lines >> messages.back().id >> messages.back().extended >> messages.back().name;
        } else if (!messages.empty()) {
            ListedSignal signal;
            lines >> signal.name >> signal.startBit >> signal.length >> signal.littleEndian >> signal.isSigned
                >> signal.factor >> signal.offset;
            messages.back().signalDefinitions.push_back(signal);
        }
    }
    sortById(messages);
    return messages;
}

std::vector<ListedMessage> canmatrixListing(const std::string& python, const std::string& path)
{
    const std::string command
        = python + " " + VEXMOOR_TESTS_SOURCE_DIR "/capture/formats/canmatrix_listing.py '" + path + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::string listing;
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        listing.append(buffer, count);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return parseListing(listing);
}

// canmatrix refuses a standard identifier beyond 0x7FF, which openpilot's files use, and then gives
// the signals that follow to the message before: those messages are left out of what it is shown.
SignalDatabase withoutWhatCanmatrixRefuses(const SignalDatabase& database)
{
    SignalDatabase portable;
    portable.nodes = database.nodes;
    portable.comments = database.comments;
    for (const auto& message : database.messages()) {
        if (message.extended || message.id <= 0x7FF)
            portable.addMessage(message);
    }
    return portable;
}

std::vector<ListedMessage> ourListing(const SignalDatabase& database)
{
    std::vector<ListedMessage> messages;
    for (const auto& message : database.messages()) {
        ListedMessage& listed = messages.emplace_back(ListedMessage { message.id, message.extended, message.name, {} });
        for (const auto& signal : message.signalDefinitions)
            listed.signalDefinitions.push_back(
                { signal.name, signal.startBit, signal.length, signal.byteOrder == ByteOrder::LittleEndian,
                  signal.valueType != SignalValueType::Unsigned, signal.factor, signal.offset });
    }
    return messages;
}

class DbcCanmatrixTest : public testing::TestWithParam<std::string> { };

TEST_P(DbcCanmatrixTest, CanmatrixReadsWhatWeWroteAsTheMessagesAndSignalsWeHold)
{
    const auto text = vexmoor::test::readTestData("dbc/" + GetParam());
    if (!text)
        GTEST_SKIP() << "the real DBC files are not beside the project";
    const auto python = pythonWithCanmatrix();
    if (!python)
        GTEST_SKIP() << "canmatrix is not installed (Debian: python3-canmatrix)";

    const auto database = withoutWhatCanmatrixRefuses(vexmoor::test::readDbc(*text));
    const vexmoor::test::TemporaryFolder folder;
    const std::string written = (folder.path() / "written.dbc").string();
    std::ofstream(written, std::ios::binary) << DbcWriter::write(database);

    const auto ours = ourListing(database);
    const auto theirs = canmatrixListing(*python, written);
    EXPECT_FALSE(ours.empty());
    EXPECT_EQ(theirs, ours);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, DbcCanmatrixTest,
                         testing::Values("chrysler_cusw.dbc", "honda_civic_hatchback_ex_2017_can_generated.dbc"));

} // namespace
