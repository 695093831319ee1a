#include "dialogs/NotesFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

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

std::string NotesFile::appendLine(const std::filesystem::path& folder, std::string_view message,
                                  std::string_view windows1252Name)
{
    const std::filesystem::path path = folder / fileNameFor(message);
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (!file)
        return std::strerror(errno);
    std::string line(message);
    line.push_back('~');
    line.append(windows1252Name).append("\r\n");
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
    file.close();
    if (!file)
        return std::strerror(errno);
    return {};
}

} // namespace vexmoor
