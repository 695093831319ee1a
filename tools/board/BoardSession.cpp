#include "BoardSession.h"

#include "LineFeed.h"
#include "LinePacer.h"
#include "SerialLine.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>

namespace vexmoor::board {

namespace {

using namespace std::chrono_literals;

// A paced line is fed in ticks of a few milliseconds, so that the bytes come as a steady trickle
// and not as a burst once a second.
constexpr auto shortestTick = 2ms;
constexpr auto longestTick = 5ms;
constexpr auto fullLineWait = 20ms;
// The slave's unread count can read 0 for a moment while written bytes are still on their way
// into its input queue (the kernel moves them there in a work item), so only a count that stays
// 0 for a while means the reader has taken everything.
constexpr auto settledFor = 50ms;
constexpr std::size_t pacedChunk = 4096;
constexpr std::size_t unpacedChunk = 1 << 16;

LinePacer::Clock::duration toDuration(double seconds)
{
    return std::chrono::duration_cast<LinePacer::Clock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

BoardSession::BoardSession(SerialLine& line, LineFeed& feed, const volatile std::sig_atomic_t& stopRequest)
    : m_line(line)
    , m_feed(feed)
    , m_stopRequest(stopRequest)
{
    if (m_feed.listens() && !m_line.readable())
        throw std::logic_error("'" + m_line.path() + "' cannot be read, and the board needs to hear the reader");
}

bool BoardSession::pause(Clock::duration length) const
{
    // Slept in short steps: sleep_for resumes after a signal, and the stop request must be seen soon.
    const auto until = Clock::now() + length;
    while (!stopRequested()) {
        const auto now = Clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, longestTick));
    }
    return false;
}

void BoardSession::listen()
{
    if (!m_feed.listens())
        return;
    m_input.clear();
    m_line.readSome(m_input);
    if (!m_input.empty())
        m_feed.receive(m_input);
}

bool BoardSession::takeNextPiece(std::string& piece, std::size_t wanted, Clock::time_point now,
                                 Clock::time_point deadline)
{
    piece.clear();
    switch (m_feed.next(piece, wanted, now)) {
    case LineFeed::Next::Ended:
        return false;
    case LineFeed::Next::Idle:
        // Nothing goes out until the reader writes; wait for that, in short steps for the stop request.
        m_line.waitReadable(
            std::chrono::ceil<std::chrono::milliseconds>(std::min<Clock::duration>(deadline - now, longestTick)));
        return true;
    case LineFeed::Next::Bytes:
        return true;
    }
    return true;
}

BoardSession::Ending BoardSession::write(const Settings& settings)
{
    if (settings.delaySeconds > 0 && !pause(toDuration(settings.delaySeconds)))
        return Ending::Stopped;

    const auto start = Clock::now();
    // No optional<time_point> here: g++ 12 takes it for uninitialised when inlined. max() never comes.
    const Clock::time_point deadline
        = settings.stopAfterSeconds ? start + toDuration(*settings.stopAfterSeconds) : Clock::time_point::max();
    LinePacer pacer(settings.baud, start);
    const std::size_t chunk = pacer.paced() ? pacedChunk : unpacedChunk;

    std::string pending;
    std::size_t offset = 0;
    for (;;) {
        if (stopRequested())
            return Ending::Stopped;
        const auto now = Clock::now();
        if (now >= deadline)
            return Ending::TimeUp;
        listen();

        if (offset == pending.size()) {
            offset = 0;
            if (!takeNextPiece(pending, chunk, now, deadline))
                return Ending::Finished;
            continue; // the piece may be empty; look at the stop request first
        }

        std::size_t length = pending.size() - offset;
        if (pacer.paced()) {
            const std::size_t allowed = pacer.allowance(now);
            if (allowed == 0) {
                auto wait = std::clamp<Clock::duration>(pacer.untilNextByte(), shortestTick, longestTick);
                wait = std::min<Clock::duration>(wait, deadline - now);
                std::this_thread::sleep_for(wait);
                continue;
            }
            length = std::min(length, allowed);
        }

        const std::string_view piece = std::string_view(pending).substr(offset, length);
        const std::size_t written = m_line.writeSome(piece);
        if (written == 0) {
            // The reader is behind and the line's buffer is full: that is the back-pressure a real
            // serial line gives. The pacer's capped credit keeps the board from bursting afterwards.
            m_line.waitWritable(fullLineWait);
            continue;
        }
        pacer.spend(written);
        m_bytes += written;
        m_feed.written(piece.substr(0, written));
        offset += written;
    }
}

BoardSession::Drain BoardSession::drain(double seconds)
{
    Drain result;
    if (!m_line.knowsUnreadBytes())
        return result;
    const auto deadline = Clock::now() + toDuration(seconds);
    bool empty = false;
    Clock::time_point emptySince;
    for (;;) {
        if (stopRequested()) {
            result.stopped = true;
            return result;
        }
        const auto now = Clock::now();
        result.unread = m_line.unreadBytes();
        if (result.unread > 0) {
            empty = false;
        } else if (!empty) {
            empty = true;
            emptySince = now;
        } else if (now - emptySince >= settledFor) {
            return result;
        }
        if (now >= deadline)
            return result;
        std::this_thread::sleep_for(longestTick);
    }
}

} // namespace vexmoor::board
