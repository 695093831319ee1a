#pragma once

#include <array>
#include <cstdint>

namespace vexmoor {

// How many frames of one identifier came lately and how many changed each byte, kept as counts in
// time slots so that frames sharing one time stamp (board records take the time of the poll that read
// them) still give a rate. The size is fixed; counts saturate instead of wrapping.
//
// When the frames carry time stamps of their own, the rate comes from their spacing: the mean gap
// between the window's first and newest frame, which is exact for a steady sender however few
// frames the window holds (counting whole frames in a 2 s window would show a 400 ms sender at
// 2.0 or 2.9 Hz by turns). Once two frames of the identifier share a time stamp, the stamps are a
// poll's, not the frames', and only counts are taken.
//
// Slots are aligned to the clock, not to the first frame, so that every identifier reads the same
// window. A frame at most one rate window older than the newest one counts in its own slot (sources
// that interleave a little out of order); one further back means the clock restarted (a log whose
// clock resets), and the counts start again from that frame instead of mixing two clocks.
class RecentActivity {
public:
    static constexpr int kBytes = 8;
    // The rate window: the slot holding now and the seven before it, so 1.75 s to 2 s long.
    static constexpr std::int64_t kRateSlotUs = 250'000;
    static constexpr int kRateSlots = 8;
    // The busy window: the slot holding now and the four before it, so 4 s to 5 s long.
    static constexpr std::int64_t kBusySlotUs = 1'000'000;
    static constexpr int kBusySlots = 5;

    // changedBytes: bit i set when byte i changed against the identifier's frame before.
    void record(std::int64_t timeUs, std::uint8_t changedBytes);

    double framesPerSecond(std::int64_t nowUs) const;
    // The frames in the rate window ending at nowUs and the time stamp of the earliest of them.
    struct WindowFrames {
        std::uint32_t frames = 0;
        std::int64_t firstUs = 0;
    };
    double byteChangeShare(int index, std::int64_t nowUs) const;

private:
    static_assert(kBusySlotUs % kRateSlotUs == 0, "a busy slot is a whole number of rate slots");
    static constexpr std::int64_t kRateSlotsPerBusySlot = kBusySlotUs / kRateSlotUs;

    WindowFrames framesInRateWindow(std::int64_t nowUs) const;
    double countedRate(std::uint32_t frames, std::int64_t nowUs) const;
    void advanceTo(std::int64_t rateSlot);
    void restartAt(std::int64_t rateSlot);
    std::uint16_t& rateCount(std::int64_t rateSlot);
    int busyRingIndex(std::int64_t busySlot) const;

    // What every frame reads and writes comes first and fits, with the identifier's own latest state,
    // in two cache lines; the change counts follow, touched only by a change.
    std::int64_t m_newestRateSlot = 0;
    std::int64_t m_newestUs = 0;
    bool m_started = false;
    bool m_sharedStamps = false;
    std::array<std::uint16_t, kRateSlots> m_rateFrames {};
    std::array<std::uint16_t, kBusySlots> m_busyFrames {};
    // The earliest frame of each rate slot, as microseconds into the slot.
    std::array<std::uint32_t, kRateSlots> m_rateFirstOffsetUs {};
    std::array<std::array<std::uint16_t, kBytes>, kBusySlots> m_busyChanges {};
};

} // namespace vexmoor
