#include "capture/changes/RecentActivity.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace vexmoor {

namespace {

// Division and remainder rounding towards minus infinity, so that a time before the epoch (a log
// whose clock starts at zero and was shifted) still falls in the slot that holds it.
std::int64_t floorDiv(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

std::int64_t floorMod(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}

int ringIndex(std::int64_t slot, int slots)
{
    return static_cast<int>(floorMod(slot, slots));
}

// The slot is one of the window's slots ending at nowSlot.
bool inWindow(std::int64_t slot, std::int64_t nowSlot, int slots)
{
    return slot <= nowSlot && nowSlot - slot < slots;
}

void addSaturating(std::uint16_t& count)
{
    if (count != std::numeric_limits<std::uint16_t>::max())
        ++count;
}

} // namespace

void RecentActivity::record(std::int64_t timeUs, std::uint8_t changedBytes)
{
    const std::int64_t rateSlot = floorDiv(timeUs, kRateSlotUs);
    const bool sameStampAsBefore = m_started && timeUs == m_newestUs;
    if (!m_started || m_newestRateSlot - rateSlot >= kRateSlots)
        restartAt(rateSlot);
    else if (rateSlot > m_newestRateSlot)
        advanceTo(rateSlot);
    m_sharedStamps = m_sharedStamps || sameStampAsBefore;
    m_newestUs = std::max(m_newestUs, timeUs);

    std::uint16_t& count = rateCount(rateSlot);
    const auto offsetUs = static_cast<std::uint32_t>(timeUs - rateSlot * kRateSlotUs);
    std::uint32_t& firstOffsetUs = m_rateFirstOffsetUs[static_cast<std::size_t>(ringIndex(rateSlot, kRateSlots))];
    if (count == 0 || offsetUs < firstOffsetUs)
        firstOffsetUs = offsetUs;
    addSaturating(count);
    const int busy = busyRingIndex(floorDiv(rateSlot, kRateSlotsPerBusySlot));
    addSaturating(m_busyFrames[busy]);
    for (unsigned bytes = changedBytes; bytes != 0; bytes &= bytes - 1)
        addSaturating(m_busyChanges[busy][std::countr_zero(bytes)]);
}

double RecentActivity::framesPerSecond(std::int64_t nowUs) const
{
    if (!m_started)
        return 0.0;
    const WindowFrames window = framesInRateWindow(nowUs);
    const std::int64_t spanUs = m_newestUs - window.firstUs;
    if (m_sharedStamps || window.frames < 2 || spanUs <= 0 || m_newestUs > nowUs)
        return countedRate(window.frames, nowUs);
    const double periodUs = static_cast<double>(spanUs) / (window.frames - 1);
    // A sender that has gone quiet for longer than its period slows down in the figures from then
    // on: frames over the time since the first, which meets the steady rate where the quiet begins.
    const auto quietUs = static_cast<double>(nowUs - m_newestUs);
    if (quietUs <= periodUs)
        return 1e6 / periodUs;
    return window.frames * 1e6 / static_cast<double>(nowUs - window.firstUs);
}

RecentActivity::WindowFrames RecentActivity::framesInRateWindow(std::int64_t nowUs) const
{
    const std::int64_t nowSlot = floorDiv(nowUs, kRateSlotUs);
    WindowFrames window;
    // From the newest slot back, so that the last slot with frames holds the earliest of them.
    for (std::int64_t slot = m_newestRateSlot; slot > m_newestRateSlot - kRateSlots; --slot) {
        const auto ring = static_cast<std::size_t>(ringIndex(slot, kRateSlots));
        if (!inWindow(slot, nowSlot, kRateSlots) || m_rateFrames[ring] == 0)
            continue;
        window.frames += m_rateFrames[ring];
        window.firstUs = slot * kRateSlotUs + m_rateFirstOffsetUs[ring];
    }
    return window;
}

double RecentActivity::countedRate(std::uint32_t frames, std::int64_t nowUs) const
{
    // The window's oldest slot is whole and the newest one only runs up to now: dividing by the time
    // they cover keeps a steady rate exact wherever now falls in its slot.
    const std::int64_t coveredUs = floorMod(nowUs, kRateSlotUs) + (kRateSlots - 1) * kRateSlotUs;
    return static_cast<double>(frames) * 1e6 / static_cast<double>(coveredUs);
}

double RecentActivity::byteChangeShare(int index, std::int64_t nowUs) const
{
    if (!m_started)
        return 0.0;
    const std::int64_t nowSlot = floorDiv(nowUs, kBusySlotUs);
    const std::int64_t newestSlot = floorDiv(m_newestRateSlot, kRateSlotsPerBusySlot);
    std::uint32_t frames = 0;
    std::uint32_t changes = 0;
    for (std::int64_t slot = newestSlot; slot > newestSlot - kBusySlots; --slot) {
        if (!inWindow(slot, nowSlot, kBusySlots))
            continue;
        frames += m_busyFrames[busyRingIndex(slot)];
        changes += m_busyChanges[busyRingIndex(slot)].at(static_cast<std::size_t>(index));
    }
    return frames == 0 ? 0.0 : static_cast<double>(changes) / static_cast<double>(frames);
}

void RecentActivity::advanceTo(std::int64_t rateSlot)
{
    // Slots skipped since the newest frame held nothing; more than a ring's worth clears the ring.
    const std::int64_t rateSteps = std::min<std::int64_t>(rateSlot - m_newestRateSlot, kRateSlots);
    for (std::int64_t step = 1; step <= rateSteps; ++step)
        rateCount(m_newestRateSlot + step) = 0;

    const std::int64_t newestBusySlot = floorDiv(m_newestRateSlot, kRateSlotsPerBusySlot);
    const std::int64_t busySteps
        = std::min<std::int64_t>(floorDiv(rateSlot, kRateSlotsPerBusySlot) - newestBusySlot, kBusySlots);
    for (std::int64_t step = 1; step <= busySteps; ++step) {
        const int busy = busyRingIndex(newestBusySlot + step);
        m_busyFrames[busy] = 0;
        m_busyChanges[busy] = {};
    }
    m_newestRateSlot = rateSlot;
}

void RecentActivity::restartAt(std::int64_t rateSlot)
{
    *this = RecentActivity {};
    m_newestRateSlot = rateSlot;
    m_newestUs = std::numeric_limits<std::int64_t>::min();
    m_started = true;
}

std::uint16_t& RecentActivity::rateCount(std::int64_t rateSlot)
{
    return m_rateFrames[ringIndex(rateSlot, kRateSlots)];
}

int RecentActivity::busyRingIndex(std::int64_t busySlot) const
{
    return ringIndex(busySlot, kBusySlots);
}

} // namespace vexmoor
