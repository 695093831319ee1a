#pragma once

#include "capture/record/FramesClock.h"

namespace vexmoor {

// The system's wall clock as the frames' clock: the only place that reads it for the frames. Coarse
// reads the clock's last tick (a few milliseconds) at a fraction of the exact read's cost, which is
// fine grained enough for records stamped as they arrive in polls hundreds of milliseconds apart.
class WallClock final : public FramesClock {
public:
    enum class Precision { Exact, Coarse };

    explicit WallClock(Precision precision = Precision::Exact)
        : m_precision(precision)
    {
    }

    std::int64_t nowUs() const override;

    // One exact clock for whoever is given none.
    static const WallClock& exact();

private:
    Precision m_precision;
};

} // namespace vexmoor
