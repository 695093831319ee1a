#include "platform/OutputFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <sstream>
#include <string>

#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vexmoor {
namespace {

namespace fs = std::filesystem;
using Mode = OutputFile::Mode;

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

bool makeDevice(const fs::path& path, unsigned int minor)
{
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

// Each destination is made in a fresh folder; what it names afterwards is checked against what it
// was, so that a device or a pipe replaced by a file shows.
struct Destination {
    const char* name;
    std::function<fs::path(const fs::path& folder)> make; // empty path: cannot be made here, skip
    bool writable;
    const char* reason; // the start of the error, where it fails
};

std::string nameOf(const testing::TestParamInfo<Destination>& info)
{
    return info.param.name;
}

class OutputFileTest : public testing::TestWithParam<Destination> { };

// What one writer leaves at the destination, for every way of writing; a pipe is read by a thread
// while it is written.
TEST_P(OutputFileTest, WritesInPlaceWhatCannotBeReplacedAndReplacesFilesWhole)
{
    for (const Mode mode : { Mode::ReplaceWhole, Mode::Truncate, Mode::Append }) {
        SCOPED_TRACE(static_cast<int>(mode));
        QTemporaryDir folder;
        const fs::path path = GetParam().make(folder.path().toStdString());
        if (path.empty())
            GTEST_SKIP() << "this machine does not allow the destination";
        const auto typeBefore = fs::symlink_status(path).type();
        const bool isFifo = fs::status(path).type() == fs::file_type::fifo;
        const bool fileBefore = fs::is_regular_file(path);
        const std::string before = fileBefore ? contentOf(path) : "";
        const fs::path parent = path.parent_path();
        const auto entries = [&parent] {
            return fs::exists(parent) ? std::distance(fs::directory_iterator(parent), fs::directory_iterator {}) : 0;
        };
        const auto entriesBefore = entries();
        std::future<std::string> piped;
        if (isFifo)
            piped = std::async(std::launch::async, [path] { return contentOf(path); });

        OutputFile file(QString::fromStdString(path.string()), mode);
        const bool written = file.open() && file.write("new\n") && file.commit();

        EXPECT_EQ(written, GetParam().writable) << file.errorString().toStdString();
        if (!GetParam().writable) {
            EXPECT_TRUE(file.errorString().startsWith(QString::fromLatin1(GetParam().reason)))
                << file.errorString().toStdString();
        }
        if (isFifo) {
            EXPECT_EQ(piped.get(), "new\n");
        }
        EXPECT_EQ(fs::symlink_status(path).type(), typeBefore) << "the destination is still what it was";
        if (written && fs::is_regular_file(path)) {
            EXPECT_EQ(contentOf(path), (mode == Mode::Append ? before : "") + "new\n");
        }
        const bool made = written && !fileBefore && fs::is_regular_file(path);
        EXPECT_EQ(entries(), entriesBefore + (made ? 1 : 0)) << "no temporary file is left";
        std::error_code ignored;
        fs::permissions(parent, fs::perms::owner_all, ignored);
    }
}

fs::path withOld(const fs::path& path)
{
    std::ofstream(path) << "old\n";
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, OutputFileTest,
    testing::Values(
        Destination { "AFile", [](const fs::path& f) { return withOld(f / "table.csv"); }, true, "" },
        Destination { "ALinkToAFile",
                      [](const fs::path& f) {
                          withOld(f / "target.csv");
                          fs::create_symlink("target.csv", f / "link.csv");
                          return f / "link.csv";
                      },
                      true, "" },
        Destination { "ADanglingLink",
                      [](const fs::path& f) {
                          fs::create_symlink("made.csv", f / "link.csv");
                          return f / "link.csv";
                      },
                      true, "" },
        Destination {
            "AFifo",
            [](const fs::path& f) { return ::mkfifo((f / "pipe").c_str(), 0600) == 0 ? f / "pipe" : fs::path {}; },
            true, "" },
        Destination { "ANullDevice",
                      [](const fs::path& f) { return makeDevice(f / "null", 3) ? f / "null" : fs::path {}; }, true,
                      "" },
        Destination { "AFullDevice",
                      [](const fs::path& f) { return makeDevice(f / "full", 7) ? f / "full" : fs::path {}; }, false,
                      "No space left on device" },
        Destination { "AFolder",
                      [](const fs::path& f) {
                          fs::create_directory(f / "folder");
                          return f / "folder";
                      },
                      false, "Is a directory" },
        Destination { "AMissingFolder", [](const fs::path& f) { return f / "no" / "such.csv"; }, false, "" },
        Destination { "AFileInAReadOnlyFolder",
                      [](const fs::path& f) {
                          fs::create_directory(f / "locked");
                          withOld(f / "locked" / "table.csv");
                          fs::permissions(f / "locked", fs::perms::owner_read | fs::perms::owner_exec);
                          return f / "locked" / "table.csv";
                      },
                      true, "" }),
    nameOf);

} // namespace
} // namespace vexmoor
