#include "FileRecordSource.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace vexmoor::board {

namespace {
constexpr std::size_t largestRead = 1 << 16;
} // namespace

FileRecordSource::FileRecordSource(std::string path, bool loop)
    : m_path(std::move(path))
    , m_loop(loop)
{
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot open --file '" + m_path + "'");
    struct stat status { };
    if (::fstat(m_fd, &status) != 0) {
        const int error = errno;
        ::close(m_fd);
        throw std::system_error(error, std::generic_category(), "cannot read --file '" + m_path + "'");
    }
    // A directory opens fine and only fails on the first read, after the line is already made.
    if (S_ISDIR(status.st_mode)) {
        ::close(m_fd);
        throw std::system_error(EISDIR, std::generic_category(), "cannot read --file '" + m_path + "'");
    }
    // Looping means starting the file over, which a pipe cannot do.
    if (m_loop && !S_ISREG(status.st_mode)) {
        ::close(m_fd);
        throw std::system_error(ESPIPE, std::generic_category(),
                                "cannot --loop over '" + m_path + "', which is not a regular file");
    }
}

FileRecordSource::~FileRecordSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileRecordSource::fill(std::string& out, std::size_t wanted)
{
    const std::size_t size = std::clamp<std::size_t>(wanted, 1, largestRead);
    const std::size_t start = out.size();
    out.resize(start + size);
    for (;;) {
        const ssize_t got = ::read(m_fd, out.data() + start, size);
        if (got > 0) {
            out.resize(start + static_cast<std::size_t>(got));
            m_passHadBytes = true;
            return true;
        }
        if (got < 0) {
            const int error = errno;
            out.resize(start);
            if (error == EINTR)
                return true;
            throw std::system_error(error, std::generic_category(), "cannot read --file '" + m_path + "'");
        }
        // End of the file. An empty file has nothing to repeat: looping over it would spin for ever
        // without writing a byte.
        if (!m_loop || !m_passHadBytes) {
            out.resize(start);
            return false;
        }
        if (::lseek(m_fd, 0, SEEK_SET) < 0) {
            const int error = errno;
            out.resize(start);
            throw std::system_error(error, std::generic_category(), "cannot start --file '" + m_path + "' over");
        }
        m_passHadBytes = false;
    }
}

} // namespace vexmoor::board
