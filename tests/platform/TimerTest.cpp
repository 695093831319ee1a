#include "platform/Timer.h"

#include <QElapsedTimer>
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

TEST(TimerTest, EnablingAnEnabledTimerKeepsItsSchedule)
{
    // Enabled again every few milliseconds, a timer that restarted each time would never tick.
    Timer timer(QStringLiteral("Timer3"), 100, true);
    QSignalSpy ticks(&timer, &Timer::tick);
    QElapsedTimer elapsed;
    elapsed.start();
    while (ticks.isEmpty() && elapsed.elapsed() < 5000) {
        timer.setEnabled(true);
        QTest::qWait(5);
    }
    EXPECT_FALSE(ticks.isEmpty());
}

} // namespace
