#include "cli/CsvDestination.h"

#include <ostream>

namespace vexmoor {

CsvDestination::CsvDestination(std::string path)
    : m_path(std::move(path))
    , m_file(QString::fromStdString(m_path), OutputFile::Mode::ReplaceWhole)
{
}

bool CsvDestination::open()
{
    if (toStandardOutput())
        return true;
    return m_file.open() ? true : failWith(m_file.errorString().toStdString());
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
    if (!m_file.write(text) || !m_file.commit()) {
        const std::string reason = m_file.errorString().toStdString();
        discard();
        return failWith(reason);
    }
    return true;
}

void CsvDestination::discard()
{
    m_file.discard();
}

bool CsvDestination::failWith(std::string reason)
{
    m_reason = std::move(reason);
    return false;
}

} // namespace vexmoor
