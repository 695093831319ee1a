#include "app/CsvDestination.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace vexmoor {

CsvDestination::CsvDestination(std::string path)
    : m_path(std::move(path))
    , m_partialPath(m_path + ".partial")
{
}

CsvDestination::~CsvDestination()
{
    discard();
}

bool CsvDestination::open()
{
    if (toStandardOutput())
        return true;
    std::error_code error;
    if (std::filesystem::is_directory(m_path, error))
        return failWith(std::strerror(EISDIR));
    m_file.open(m_partialPath, std::ios::binary | std::ios::trunc);
    if (!m_file)
        return failWith(std::strerror(errno));
    return true;
}

std::ostream& CsvDestination::stream(std::ostream& standardOutput)
{
    return toStandardOutput() ? standardOutput : m_file;
}

bool CsvDestination::commit(std::ostream& standardOutput)
{
    if (toStandardOutput()) {
        standardOutput.flush();
        return standardOutput ? true : failWith(std::strerror(errno));
    }
    m_file.close();
    if (!m_file) {
        const std::string reason = std::strerror(errno);
        discard();
        return failWith(reason);
    }
    std::error_code error;
    std::filesystem::rename(m_partialPath, m_path, error);
    if (error) {
        discard();
        return failWith(error.message());
    }
    m_partialPath.clear();
    return true;
}

void CsvDestination::discard()
{
    if (toStandardOutput() || m_partialPath.empty())
        return;
    if (m_file.is_open())
        m_file.close();
    std::error_code error;
    std::filesystem::remove(m_partialPath, error);
    m_partialPath.clear();
}

bool CsvDestination::failWith(std::string reason)
{
    m_reason = std::move(reason);
    return false;
}

} // namespace vexmoor
