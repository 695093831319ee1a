#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include <chrono>

namespace vexmoor::test {

// Lets the event loop run until the condition holds or the time is up; whether it came to hold is
// for a gtest assertion to check. (Qt Test's QTRY macros report to Qt Test, which gtest never hears.)
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace vexmoor::test
