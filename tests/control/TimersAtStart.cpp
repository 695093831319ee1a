#include "control/TimersAtStart.h"

#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace vexmoor::test {

void expectTimersAsAtStart(const QObject& owner)
{
    const std::vector<std::tuple<const char*, int, bool>> timers = { { "Timer1", 100, false },
                                                                     { "Timer2", 300, false },
                                                                     { "Timer3", 5000, true },
                                                                     { "Timer4", 10000, true },
                                                                     { "tmrInteriourEmulator", 100, false } };
    for (const auto& [name, interval, enabled] : timers) {
        const auto* timer = owner.findChild<Timer*>(QString::fromLatin1(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->interval(), interval) << name;
        EXPECT_EQ(timer->isEnabled(), enabled) << name;
    }
}

} // namespace vexmoor::test
