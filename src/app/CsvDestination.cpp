#include "app/CsvDestination.h"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace vexmoor {

CsvDestination::CsvDestination(std::string path)
    : m_path(std::move(path))
    , m_file(QString::fromStdString(m_path))
{
}

bool CsvDestination::open()
{
    if (toStandardOutput())
        return true;
    std::error_code error;
    if (std::filesystem::is_directory(m_path, error))
        return failWith(std::make_error_code(std::errc::is_a_directory).message());
    if (!m_file.open(QIODevice::WriteOnly))
        return failWithFileError();
    return true;
}

std::ostream& CsvDestination::stream(std::ostream& standardOutput)
{
    return toStandardOutput() ? standardOutput : m_text;
}

bool CsvDestination::commit(std::ostream& standardOutput)
{
    if (toStandardOutput()) {
        standardOutput.flush();
        // A stream keeps no reason of its own for a failed write.
        return standardOutput ? true : failWith("the output stream failed");
    }
    const std::string text = std::move(m_text).str();
    if (m_file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())
        || !m_file.commit()) {
        const bool failed = failWithFileError();
        discard();
        return failed;
    }
    return true;
}

void CsvDestination::discard()
{
    // A cancelled commit removes the temporary file; the destination never saw it.
    if (!m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit();
}

bool CsvDestination::failWith(std::string reason)
{
    m_reason = std::move(reason);
    return false;
}

bool CsvDestination::failWithFileError()
{
    return failWith(m_file.errorString().toStdString());
}

} // namespace vexmoor
