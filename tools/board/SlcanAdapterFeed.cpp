#include "SlcanAdapterFeed.h"

#include "RecordSource.h"

#include "capture/formats/SlcanCommands.h"
#include "capture/record/BoardRecord.h"
#include "capture/record/CanFrame.h"

#include <algorithm>
#include <optional>

namespace vexmoor::board {

namespace {
constexpr std::int64_t microsecondsPerMillisecond = 1000;
} // namespace

SlcanAdapterFeed::SlcanAdapterFeed(RecordSource& source, const Settings& settings)
    : m_source(source)
    , m_adapter(settings.listenOnlySupported)
    , m_clockStartMs(settings.clockStartMs)
    , m_pluggedIn(settings.pluggedIn)
{
}

void SlcanAdapterFeed::receive(std::string_view bytes)
{
    m_adapter.receive(bytes, m_answers);
}

LineFeed::Next SlcanAdapterFeed::next(std::string& out, std::size_t wanted, Clock::time_point now)
{
    m_frameBytesLeft = 0;
    if (!m_answers.empty()) {
        out.swap(m_answers);
        return Next::Bytes;
    }
    if (!m_adapter.isOpen())
        return Next::Idle;
    if (m_records.empty()) {
        if (m_sourceEnded)
            return Next::Ended;
        // Back to the session after every read, so that a long run of skipped records or an
        // interrupted read never keeps it from its stop request.
        readSource(wanted);
        return Next::Bytes;
    }
    if (appendNextFrameLine(out, now))
        m_frameBytesLeft = out.size();
    return Next::Bytes;
}

void SlcanAdapterFeed::readSource(std::size_t wanted)
{
    m_sourceBytes.clear();
    if (!m_source.fill(m_sourceBytes, wanted))
        m_sourceEnded = true;
    m_cutter.cut(m_sourceBytes, m_records);
}

bool SlcanAdapterFeed::appendNextFrameLine(std::string& out, Clock::time_point now)
{
    std::optional<CanFrame> frame = BoardRecord::toFrame(m_records.front());
    m_records.pop_front();
    if (!frame) {
        ++m_notFrames;
        return false;
    }
    // The line says when the adapter sent it, not when the record was made.
    frame->timestampUs = clockMs(now) * microsecondsPerMillisecond;
    SlcanCommands::appendFrameLine(*frame, m_adapter.timestamps(), out);
    return true;
}

std::int64_t SlcanAdapterFeed::clockMs(Clock::time_point now) const
{
    const auto sincePluggedIn = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_pluggedIn).count();
    // appendFrameLine writes the clock modulo 60 s, as the adapter's counter wraps.
    return m_clockStartMs + std::max<std::int64_t>(sincePluggedIn, 0);
}

void SlcanAdapterFeed::written(std::string_view bytes)
{
    if (m_frameBytesLeft == 0)
        return;
    m_frameBytesLeft -= std::min(m_frameBytesLeft, bytes.size());
    if (m_frameBytesLeft == 0)
        ++m_frames;
}

} // namespace vexmoor::board
