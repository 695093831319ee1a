#include "platform/EventLoopYield.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <gtest/gtest.h>

namespace {

using vexmoor::EventLoopYield;

TEST(EventLoopYieldTest, ARealYieldRunsWhatIsPendingToItsEnd)
{
    EventLoopYield yield;
    yield.setEveryCall(true);
    QObject receiver;
    int handled = 0;
    for (int call = 0; call < 3; ++call) {
        QMetaObject::invokeMethod(
            &receiver, [&handled] { ++handled; }, Qt::QueuedConnection);
        yield();
        EXPECT_EQ(handled, call + 1);
    }
    EXPECT_EQ(yield.realYields(), 3);
}

TEST(EventLoopYieldTest, EntersTheEventLoopOnlyOnceTheSpacingHasPassed)
{
    EventLoopYield yield;
    yield.setSpacing(std::chrono::hours(1));
    yield();
    QObject receiver;
    bool handled = false;
    QMetaObject::invokeMethod(
        &receiver, [&handled] { handled = true; }, Qt::QueuedConnection);
    for (int call = 0; call < 10000; ++call)
        yield();
    EXPECT_EQ(yield.realYields(), 1);
    EXPECT_FALSE(handled);

    yield.setSpacing(std::chrono::milliseconds(0));
    for (int call = 0; call < 100 && !handled; ++call)
        yield();
    EXPECT_TRUE(handled);
    QCoreApplication::processEvents();
}

} // namespace
