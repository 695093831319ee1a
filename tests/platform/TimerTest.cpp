#include "platform/Timer.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using vexmoor::Timer;

TEST(TimerTest, IsFoundByNameWithItsIntervalAndEnabledFlagAsProperties)
{
    QObject window;
    new Timer(QStringLiteral("Timer2"), 300, false, &window);

    auto* timer = window.findChild<QObject*>(QStringLiteral("Timer2"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->property("interval").toInt(), 300);
    EXPECT_FALSE(timer->property("enabled").toBool());
    timer->setProperty("enabled", true);
    EXPECT_TRUE(static_cast<Timer*>(timer)->isEnabled());
}

TEST(TimerTest, SettingTheIntervalNeverChangesTheEnabledFlag)
{
    Timer stopped(QStringLiteral("stopped"), 300, false);
    QSignalSpy stoppedTicks(&stopped, &Timer::tick);
    stopped.setInterval(1);
    EXPECT_FALSE(stopped.isEnabled());

    Timer running(QStringLiteral("running"), 300, true);
    running.setInterval(0);
    EXPECT_TRUE(running.isEnabled());
    running.setInterval(1);
    EXPECT_TRUE(running.isEnabled());
    QSignalSpy runningTicks(&running, &Timer::tick);
    EXPECT_TRUE(runningTicks.wait(5000));
    EXPECT_EQ(stoppedTicks.count(), 0);
}

TEST(TimerTest, AnIntervalOfZeroGivesNoTicksUntilANonZeroOneIsSet)
{
    Timer timer(QStringLiteral("Timer4"), 0, true);
    QSignalSpy ticks(&timer, &Timer::tick);
    QTest::qWait(50);
    EXPECT_EQ(ticks.count(), 0);

    timer.setInterval(1);
    EXPECT_TRUE(ticks.wait(5000));
    timer.setEnabled(false);
    const auto afterStop = ticks.count();
    QTest::qWait(20);
    EXPECT_EQ(ticks.count(), afterStop);
}

} // namespace
