#include "dialogs/NotesFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using vexmoor::NotesFile;

class NotesFileNameTest : public testing::TestWithParam<std::pair<std::string, std::string>> { };

TEST_P(NotesFileNameTest, KeepsEveryNameInsideTheProgramsFolder)
{
    EXPECT_EQ(NotesFile::fileNameFor(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Messages, NotesFileNameTest,
                         testing::Values(std::pair<std::string, std::string> { "<882,0,0,1,>", "882,0,0,1,.txt" },
                                         std::pair<std::string, std::string> { "<680,../../x,>", "680,.._.._x,.txt" },
                                         std::pair<std::string, std::string> { "<680,..\\..\\x,>", "680,.._.._x,.txt" },
                                         std::pair<std::string, std::string> { std::string("<680,\r\n\0\x7f,>", 10),
                                                                               "680,____,.txt" },
                                         std::pair<std::string, std::string> { "<..>", "__.txt" },
                                         std::pair<std::string, std::string> { "<>", ".txt" },
                                         std::pair<std::string, std::string> { "<680,\xe9,>", "680,\xe9,.txt" }));

TEST(NotesFileTest, AppendsOneLinePerSaveAndReportsAFolderThatCannotTakeIt)
{
    const auto folder = std::filesystem::temp_directory_path() / "vexmoor-notes-file-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    EXPECT_EQ(NotesFile::appendLine(folder, "<680,../x,>", "Door"), "");
    EXPECT_EQ(NotesFile::appendLine(folder, "<680,../x,>", ""), "");
    std::ifstream file(folder / "680,.._x,.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    EXPECT_EQ(bytes.str(), "<680,../x,>~Door\r\n<680,../x,>~\r\n");

    EXPECT_EQ(NotesFile::appendLine(folder / "missing", "<680,1,>", "x"), "No such file or directory");
    std::filesystem::remove_all(folder);
}

} // namespace
