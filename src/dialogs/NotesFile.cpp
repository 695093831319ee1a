#include "dialogs/NotesFile.h"

#include "platform/CodePageText.h"
#include "platform/OutputFile.h"

#include <QDir>

namespace vexmoor {

namespace {

bool canStandInFileName(char c)
{
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code == 127 || c == '/' || c == '\\')
        return false;
#ifdef _WIN32
    if (std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
        return false;
#endif
    return true;
}

} // namespace

std::string NotesFile::fileNameFor(std::string_view message)
{
    std::string name;
    for (const char c : message) {
        if (c == '<' || c == '>')
            continue;
        name.push_back(canStandInFileName(c) ? c : '_');
    }
    // "." and ".." are names of folders, not of a file beside the program.
    if (name == "." || name == "..")
        name.assign(name.size(), '_');
    return name + ".txt";
}

QString NotesFile::pathFor(const std::filesystem::path& folder, std::string_view message)
{
    return QDir(QString::fromStdString(folder.string())).filePath(CodePageText::toQString(fileNameFor(message)));
}

QString NotesFile::appendLine(const std::filesystem::path& folder, std::string_view message,
                              std::string_view windows1252Name)
{
    std::string line(message);
    line.push_back('~');
    line.append(windows1252Name).append("\r\n");
    return OutputFile::write(pathFor(folder, message), OutputFile::Mode::Append, line);
}

} // namespace vexmoor
