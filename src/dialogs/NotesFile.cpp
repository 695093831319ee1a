#include "dialogs/NotesFile.h"

#include "platform/CodePageText.h"

#include <QDir>
#include <QFile>

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
    QFile file(pathFor(folder, message));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return file.errorString();
    std::string line(message);
    line.push_back('~');
    line.append(windows1252Name).append("\r\n");
    // Both report what the file system said; a full disk may show only when the file is closed.
    if (file.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size()) || !file.flush())
        return file.errorString();
    file.close();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return {};
}

} // namespace vexmoor
