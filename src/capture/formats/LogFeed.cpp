#include "capture/formats/LogFeed.h"

#include "capture/record/CaptureSession.h"

namespace vexmoor {

namespace {

LogFeed::Sink intoSession(CaptureSession& session)
{
    const auto ingest = [&session](const CanFrame& frame, std::string_view interfaceName) {
        session.ingestFrame(frame, interfaceName);
    };
    const auto poll = [&session](std::string bytes) { session.assembly().poll(std::move(bytes)); };
    return { ingest, poll };
}

} // namespace

LogFeed::LogFeed(CaptureSession& session, std::string interfaceFilter)
    : LogFeed(intoSession(session), std::move(interfaceFilter))
{
}

LogFeed::LogFeed(Sink sink, std::string interfaceFilter)
    : m_sink(std::move(sink))
    , m_interfaceFilter(std::move(interfaceFilter))
{
}

void LogFeed::feed(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_decided) {
        handOn(bytes);
        return;
    }
    m_kept.emplace_back(bytes);
    m_keptBytes += bytes.size();
    if (m_keptBytes >= kLogDetectionBytes) {
        decide(detectFromKept());
        handOnKept();
    }
}

void LogFeed::finish()
{
    if (!m_decided) {
        decide(m_kept.empty() ? LogFormat::BoardText : detectFromKept());
        handOnKept();
    }
    m_reader.finish(m_sink.frame);
}

LogFormat LogFeed::decideFrom(std::string_view firstBytes)
{
    if (!m_decided) {
        decide(firstBytes.empty() ? LogFormat::BoardText : detectLogFormat(firstBytes));
        handOnKept();
    }
    return m_format;
}

void LogFeed::decide(LogFormat format)
{
    m_decided = true;
    m_format = format;
    if (format == LogFormat::Candump || format == LogFormat::Gvret)
        m_reader = LogReader(format, m_interfaceFilter);
}

LogFormat LogFeed::detectFromKept() const
{
    // The first read mostly brings the whole of what detection looks at: no copy then.
    if (m_kept.size() == 1)
        return detectLogFormat(m_kept.front());
    std::string firstBytes;
    for (const std::string& piece : m_kept) {
        firstBytes.append(piece, 0, kLogDetectionBytes - firstBytes.size());
        if (firstBytes.size() == kLogDetectionBytes)
            break;
    }
    return detectLogFormat(firstBytes);
}

void LogFeed::handOnKept()
{
    for (std::string& piece : m_kept) {
        if (m_format == LogFormat::BoardText)
            m_sink.boardText(std::move(piece));
        else
            handOn(piece);
    }
    m_kept.clear();
    m_kept.shrink_to_fit();
    m_keptBytes = 0;
}

void LogFeed::handOn(std::string_view bytes)
{
    switch (m_format) {
    case LogFormat::BoardText:
        m_sink.boardText(std::string(bytes));
        return;
    case LogFormat::Candump:
    case LogFormat::Gvret:
        m_reader.feed(bytes, m_sink.frame);
        return;
    case LogFormat::Unknown:
        return;
    }
}

} // namespace vexmoor
