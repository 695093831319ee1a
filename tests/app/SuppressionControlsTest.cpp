#include "app/SuppressionControls.h"

#include "app/MessageTableModel.h"
#include "capture/CaptureSession.h"
#include "capture/CaptureTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

namespace {

using vexmoor::SuppressionControls;

struct WindowCase {
    std::string name;
    double seconds;
    bool taken;
    std::size_t maskedBits; // of a flip 1 s old and one 5 s old
    const char* status;
};

void PrintTo(const WindowCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SuppressionWindowTest : public testing::TestWithParam<WindowCase> {
protected:
    static constexpr std::int64_t kNowUs = 1'700'000'010'000'000;

    void send(std::int64_t atUs, std::uint8_t byte)
    {
        session.ingestFrame(vexmoor::test::makeFrame(0x3A1, { byte }, { .timestampUs = atUs }), "can0");
    }

    vexmoor::test::FixedClock clock;
    vexmoor::CaptureSession session { clock };
    vexmoor::MessageTableModel model { session.table() };
    QMenu view;
    QStatusBar statusBar;
    SuppressionControls controls { view, statusBar, session.changes(), model, [] { return kNowUs; }, nullptr };
};

// A refused window leaves the one before, the three seconds of the start.
TEST_P(SuppressionWindowTest, SuppressesTheFlipsOfTheWindowSetAndRefusesOneThatIsNoWindow)
{
    send(kNowUs - 6'000'000, 0x00);
    send(kNowUs - 5'000'000, 0x01);
    send(kNowUs - 1'000'000, 0x03);

    EXPECT_EQ(controls.setWindowSeconds(GetParam().seconds), GetParam().taken);
    controls.suppressCurrentChanges();

    EXPECT_EQ(controls.mask().maskedBits(), GetParam().maskedBits);
    EXPECT_EQ(statusBar.findChild<QLabel*>(QStringLiteral("statusSuppressed"))->text(),
              QString::fromLatin1(GetParam().status));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SuppressionWindowTest,
    testing::Values(WindowCase { "HalfASecond", 0.5, true, 0, "" },
                    WindowCase { "ThreeSeconds", 3, true, 1, "1 bit suppressed" },
                    WindowCase { "TenSeconds", 10, true, 2, "2 bits suppressed" },
                    WindowCase { "Zero", 0, false, 1, "1 bit suppressed" },
                    WindowCase { "Negative", -2, false, 1, "1 bit suppressed" },
                    WindowCase { "NotANumber", std::numeric_limits<double>::quiet_NaN(), false, 1, "1 bit suppressed" },
                    WindowCase { "Infinite", std::numeric_limits<double>::infinity(), false, 1, "1 bit suppressed" },
                    WindowCase { "PastADay", SuppressionControls::kMaxWindowSeconds + 1, false, 1,
                                 "1 bit suppressed" }),
    [](const testing::TestParamInfo<WindowCase>& test) { return test.param.name; });

} // namespace
