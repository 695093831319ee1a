#include "BoardSession.h"

#include "LinePacer.h"
#include "RecordSource.h"
#include "SerialLine.h"

#include <algorithm>
#include <string>
#include <thread>

namespace vexmoor::board {

namespace {

using namespace std::chrono_literals;

const std::string startupText = "CAN BUS Shield init ok!\r\n";

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

BoardSession::BoardSession(SerialLine& line, RecordSource& source, const volatile std::sig_atomic_t& stopRequest)
    : m_line(line)
    , m_source(source)
    , m_stopRequest(stopRequest)
{
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

void BoardSession::account(const char* begin, std::size_t length)
{
    m_bytes += length;
    m_records += static_cast<std::uint64_t>(std::count(begin, begin + length, '>'));
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

    std::string pending = settings.startupLine ? startupText : std::string();
    std::size_t offset = 0;
    for (;;) {
        if (stopRequested())
            return Ending::Stopped;
        const auto now = Clock::now();
        if (now >= deadline)
            return Ending::TimeUp;

        if (offset == pending.size()) {
            pending.clear();
            offset = 0;
            if (!m_source.fill(pending, chunk))
                return Ending::Finished;
            continue; // the source may have been interrupted without bytes; look at the stop request first
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

        const std::size_t written = m_line.writeSome(std::string_view(pending).substr(offset, length));
        if (written == 0) {
            // The reader is behind and the line's buffer is full: that is the back-pressure a real
            // serial line gives. The pacer's capped credit keeps the board from bursting afterwards.
            m_line.waitWritable(fullLineWait);
            continue;
        }
        pacer.spend(written);
        account(pending.data() + offset, written);
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
