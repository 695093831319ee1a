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
    m_text.flush();
    if (m_buffer.failed() || !m_file.commit()) {
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

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

} // namespace

CsvDestination::FileBuffer::FileBuffer(OutputFile& file)
    : m_file(file)
    , m_buffer(kBufferBytes, '\0')
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

CsvDestination::FileBuffer::int_type CsvDestination::FileBuffer::overflow(int_type c)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int CsvDestination::FileBuffer::sync()
{
    return drain() ? 0 : -1;
}

bool CsvDestination::FileBuffer::drain()
{
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    // After a failed write nothing more is written: the commit reports the failure.
    if (pending > 0 && !m_failed && !m_file.write(std::string_view(pbase(), pending)))
        m_failed = true;
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return !m_failed;
}

bool CsvDestination::failWith(std::string reason)
{
    m_reason = std::move(reason);
    return false;
}

} // namespace vexmoor
