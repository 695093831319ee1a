#include "sources/DeviceTimeMapping.h"

namespace vexmoor {

namespace {

bool near(std::int64_t a, std::int64_t b)
{
    const std::int64_t gap = a > b ? a - b : b - a;
    return gap <= DeviceTimeMapping::kSameClockUs;
}

} // namespace

std::int64_t DeviceTimeMapping::epochMicroseconds(std::optional<std::int64_t> deviceUs, std::int64_t arrivalUs)
{
    if (!deviceUs)
        return arrivalUs;
    if (near(*deviceUs, arrivalUs))
        return *deviceUs;
    // The first frame of a device clock, or one that has wrapped or restarted since: measure again.
    if (!m_offsetUs || !near(*deviceUs + *m_offsetUs, arrivalUs))
        m_offsetUs = arrivalUs - *deviceUs;
    return *deviceUs + *m_offsetUs;
}

} // namespace vexmoor
