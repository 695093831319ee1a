#include "dialogs/NotesFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include <unistd.h>

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

class NotesFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temporary.isValid()); }

    std::string read(const QString& name) const
    {
        QFile file(QDir(temporary.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(missing)");
    }

    QTemporaryDir temporary;
    std::filesystem::path folder { temporary.path().toStdString() };
};

TEST_F(NotesFileTest, AppendsOneLinePerSaveToAFileNamedInTheCodePagesCharacters)
{
    EXPECT_EQ(NotesFile::appendLine(folder, "<680,../x,>", "Door"), QString());
    EXPECT_EQ(NotesFile::appendLine(folder, "<680,../x,>", ""), QString());
    EXPECT_EQ(read(QStringLiteral("680,.._x,.txt")), "<680,../x,>~Door\r\n<680,../x,>~\r\n");

    EXPECT_EQ(NotesFile::appendLine(folder, "<680,\xe9,>", "Caf\xe9"), QString());
    EXPECT_EQ(read(QStringLiteral("680,\u00e9,.txt")), "<680,\xe9,>~Caf\xe9\r\n");
}

struct UnwritableFolder {
    const char* name;
    // Makes a folder that cannot take the notes file; nullopt where this machine cannot make one.
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)> make;
    const char* reason;
};

void PrintTo(const UnwritableFolder& folder, std::ostream* out)
{
    *out << folder.name;
}

class NotesFileFailureTest : public NotesFileTest, public testing::WithParamInterface<UnwritableFolder> { };

TEST_P(NotesFileFailureTest, ReportsTheReasonTheFileSystemGave)
{
    const auto unwritable = GetParam().make(folder);
    if (!unwritable)
        GTEST_SKIP() << "the superuser writes into any folder";
    EXPECT_EQ(NotesFile::appendLine(*unwritable, "<680,1,>", "x").toStdString(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, NotesFileFailureTest,
    testing::Values(UnwritableFolder { "Missing", [](const auto& folder) { return std::optional(folder / "missing"); },
                                       "No such file or directory" },
                    UnwritableFolder { "AFileInItsPlace",
                                       [](const auto& folder) {
                                           std::ofstream(folder / "file") << "x";
                                           return std::optional(folder / "file");
                                       },
                                       "Not a directory" },
                    UnwritableFolder { "ReadOnly",
                                       [](const auto& folder) -> std::optional<std::filesystem::path> {
                                           if (::geteuid() == 0)
                                               return std::nullopt;
                                           std::filesystem::create_directory(folder / "read-only");
                                           std::filesystem::permissions(folder / "read-only",
                                                                        std::filesystem::perms::owner_read
                                                                            | std::filesystem::perms::owner_exec);
                                           return folder / "read-only";
                                       },
                                       "Permission denied" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
