#include "SymbolicLink.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vexmoor::board {

namespace {

std::system_error linkError(int error, const std::string& linkPath)
{
    return { error, std::generic_category(), "cannot make --link '" + linkPath + "'" };
}

bool pointsTo(const std::string& linkPath, const std::string& target)
{
    std::vector<char> buffer(target.size() + 2);
    const ssize_t length = ::readlink(linkPath.c_str(), buffer.data(), buffer.size());
    return length >= 0 && std::string(buffer.data(), static_cast<std::size_t>(length)) == target;
}

} // namespace

SymbolicLink::SymbolicLink(std::string linkPath, std::string target)
    : m_linkPath(std::move(linkPath))
    , m_target(std::move(target))
{
    // rename() below would replace a file or an empty folder as readily as a link.
    struct stat status { };
    if (::lstat(m_linkPath.c_str(), &status) == 0 && !S_ISLNK(status.st_mode))
        throw std::system_error(EEXIST, std::generic_category(),
                                "cannot replace --link '" + m_linkPath + "', which is not a symbolic link");

    // The new link is made beside the old one and renamed over it, so that a reader polling the path
    // never finds it missing or pointing nowhere while a stale link from an earlier run is replaced.
    const std::string fresh = m_linkPath + ".new-" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(m_target.c_str(), fresh.c_str()) != 0)
        throw linkError(errno, m_linkPath);
    if (::rename(fresh.c_str(), m_linkPath.c_str()) != 0) {
        const int error = errno;
        ::unlink(fresh.c_str());
        throw linkError(error, m_linkPath);
    }
}

SymbolicLink::~SymbolicLink()
{
    // Another board started on the same path may have replaced the link meanwhile; its link stays.
    if (pointsTo(m_linkPath, m_target))
        ::unlink(m_linkPath.c_str());
}

} // namespace vexmoor::board
