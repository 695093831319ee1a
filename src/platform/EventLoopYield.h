#pragma once

#include <QElapsedTimer>

#include <chrono>

namespace vexmoor {

// Lets the event loop handle what is pending, each event to its end, then returns. The serial scan
// yields before every character; entering the event loop that often would cost more than the scan,
// so a yield only enters it once some milliseconds have passed since it last did. A long scan stays
// responsive and a short one pays nothing.
class EventLoopYield final {
public:
    static constexpr std::chrono::milliseconds kDefaultSpacing { 5 };

    void operator()();

    // Tests make every call a real yield.
    void setEveryCall(bool everyCall) { m_everyCall = everyCall; }
    void setSpacing(std::chrono::milliseconds spacing) { m_spacing = spacing; }
    int realYields() const { return m_realYields; }

private:
    // Reading the clock costs a little too; it is read once every few calls.
    static constexpr int kCallsPerClockReading = 64;

    QElapsedTimer m_sinceLastYield;
    std::chrono::milliseconds m_spacing = kDefaultSpacing;
    int m_callsSinceClockReading = 0;
    int m_realYields = 0;
    bool m_everyCall = false;
};

} // namespace vexmoor
