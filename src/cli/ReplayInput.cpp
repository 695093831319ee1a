#include "cli/ReplayInput.h"

#include "capture/formats/LogFeed.h"

#include <filesystem>
#include <istream>
#include <system_error>

namespace vexmoor {

ReplayInput::ReplayInput(std::string path, std::istream& standardInput)
    : m_path(std::move(path))
    , m_standardInput(standardInput)
    , m_file(QString::fromStdString(m_path))
{
}

bool ReplayInput::open()
{
    if (isStandardInput())
        return true;
    std::error_code error;
    if (std::filesystem::is_directory(m_path, error))
        return failWith(std::make_error_code(std::errc::is_a_directory).message());
    if (!m_file.open(QIODevice::ReadOnly))
        return failWith(m_file.errorString().toStdString());
    return true;
}

bool ReplayInput::read(std::string& buffer, std::size_t wanted)
{
    buffer.resize(wanted);
    if (isStandardInput()) {
        m_standardInput.read(buffer.data(), static_cast<std::streamsize>(wanted));
        buffer.resize(static_cast<std::size_t>(m_standardInput.gcount()));
        // A stream keeps no reason of its own for a failed read.
        return m_standardInput.bad() ? failWith("the input stream failed") : true;
    }
    const qint64 received = m_file.read(buffer.data(), static_cast<qint64>(wanted));
    if (received < 0)
        return failWith(m_file.errorString().toStdString());
    buffer.resize(static_cast<std::size_t>(received));
    return true;
}

bool ReplayInput::feedUntilDecided(LogFeed& feed, std::size_t chunkBytes)
{
    while (!feed.decided()) {
        if (!feedChunk(feed, chunkBytes))
            return false;
    }
    return true;
}

bool ReplayInput::feedToEnd(LogFeed& feed, std::size_t chunkBytes)
{
    while (!m_ended) {
        if (!feedChunk(feed, chunkBytes))
            return false;
    }
    return true;
}

bool ReplayInput::feedChunk(LogFeed& feed, std::size_t chunkBytes)
{
    if (!read(m_chunk, chunkBytes))
        return false;
    if (m_chunk.empty()) {
        m_ended = true;
        feed.finish();
    } else {
        feed.feed(m_chunk);
    }
    return true;
}

std::string ReplayInput::name() const
{
    return isStandardInput() ? std::string("standard input") : "'" + m_path + "'";
}

bool ReplayInput::failWith(std::string reason)
{
    m_reason = std::move(reason);
    return false;
}

} // namespace vexmoor
