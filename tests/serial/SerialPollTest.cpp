#include "serial/SerialPoll.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "serial/FakeSerialPort.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::CaptureSession;
using vexmoor::SerialPoll;
using vexmoor::test::FakeSerialPort;

TEST(SerialPollTest, ATickDuringAScanReadsNothingAndTheNextTickTakesWhatCameMeanwhile)
{
    vexmoor::test::FixedClock clock;
    CaptureSession session(clock);
    FakeSerialPort port;
    port.opened = true;
    port.pending = { "<680,1,>\r\n", "<681,2,>\r\n" };
    SerialPoll poll(port, session.assembly());
    int yields = 0;
    session.assembly().setYieldHook([&] {
        ++yields;
        poll.tick();
    });

    poll.tick();
    EXPECT_EQ(port.reads, 1);
    EXPECT_EQ(session.table().rowCount(), 1);

    session.assembly().setYieldHook({});
    poll.tick();
    EXPECT_EQ(port.reads, 2);
    EXPECT_EQ(session.table().rowCount(), 2);
}

TEST(SerialPollTest, AFailedOrEmptyReadScansNothing)
{
    vexmoor::test::FixedClock clock;
    CaptureSession session(clock);
    FakeSerialPort port;
    SerialPoll poll(port, session.assembly());
    int yields = 0;
    session.assembly().setYieldHook([&] { ++yields; });

    poll.tick(); // not open: the read fails
    port.opened = true;
    poll.tick(); // nothing waiting
    EXPECT_EQ(port.reads, 2);
    EXPECT_EQ(yields, 0);
}

} // namespace
