#include "upkeep/AutoFilterPurge.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "upkeep/ChangeMarkReset.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::AutoFilterPurge;
using vexmoor::CaptureSession;
using vexmoor::MessageColumn;

class UpkeepTest : public testing::Test {
protected:
    // Rows 100, 101, ... in order, each with the given change count.
    void addRows(const std::vector<std::string>& changeCounts)
    {
        for (const auto& count : changeCounts) {
            session.ingest("<" + std::to_string(100 + session.table().rowCount()) + ",1,>");
            session.table().setCell(session.table().rowCount(), MessageColumn::ChangeCount, count);
        }
    }

    std::vector<std::string> canIds()
    {
        std::vector<std::string> ids;
        for (int position = 1; position <= session.table().rowCount(); ++position)
            ids.push_back(session.table().canId(position));
        return ids;
    }

    void SetUp() override
    {
        session.txtMinID().setText("0");
        purge.setYieldHook([this] {
            ++yields;
            if (duringYield)
                duringYield(yields);
        });
    }

    vexmoor::test::FixedClock clock;
    CaptureSession session { clock };
    AutoFilterPurge purge { session.table(), session.List2(), session.txtAutoFilter() };
    int yields = 0;
    std::function<void(int)> duringYield;
};

TEST_F(UpkeepTest, PurgesOnlyCountsAboveTheThresholdInTheOrderThePassesMeetThem)
{
    addRows({ "5", "1001", "1002", "1003", "1000", "1001" });

    purge.tick();

    EXPECT_EQ(canIds(), (std::vector<std::string> { "64", "68" }));
    EXPECT_EQ(session.List2().entries(), (std::vector<std::string> { "65", "67", "69", "66" }));
    EXPECT_EQ(yields, AutoFilterPurge::kPasses);
}

struct ThresholdCase {
    std::string threshold;
    std::vector<std::string> changeCounts;
    std::vector<std::string> kept;
};

void PrintTo(const ThresholdCase& testCase, std::ostream* out)
{
    *out << testing::PrintToString(testCase.threshold);
}

class ThresholdTest : public UpkeepTest, public testing::WithParamInterface<ThresholdCase> { };

TEST_P(ThresholdTest, ReadsBothSidesAsTheirLeadingNumbers)
{
    session.txtAutoFilter().setText(GetParam().threshold);
    addRows(GetParam().changeCounts);
    purge.tick();
    EXPECT_EQ(canIds(), GetParam().kept);
}

const std::string kHuge(400, '9');

INSTANTIATE_TEST_SUITE_P(Texts, ThresholdTest,
                         testing::Values(ThresholdCase { "abc", { "0", "1", "x", "2" }, { "64", "66" } },
                                         ThresholdCase { " 2.5 counts", { "2", "3", "2.7" }, { "64" } },
                                         ThresholdCase { "1000", { kHuge, "1000" }, { "65" } },
                                         ThresholdCase { kHuge, { kHuge, "99999999999999999999" }, { "64", "65" } },
                                         ThresholdCase { "-1", { "", "0" }, {} }));

TEST_F(UpkeepTest, SeesWhatChangesDuringItsYieldsAtTheNextPass)
{
    addRows({ "1", "1", "1" });
    duringYield = [this](int yield) {
        if (yield == 10)
            session.table().setCell(2, MessageColumn::ChangeCount, "5000");
        if (yield == 20)
            session.txtAutoFilter().setText("0");
    };

    purge.tick();

    EXPECT_TRUE(canIds().empty());
    EXPECT_EQ(session.List2().entries(), (std::vector<std::string> { "65", "64", "66" }));
}

TEST_F(UpkeepTest, ATableEmptiedDuringAYieldLeavesNothingToDo)
{
    addRows({ "2000", "2000", "2000", "2000" });
    duringYield = [this](int yield) {
        if (yield == 1)
            session.table().clear();
    };
    purge.tick();
    EXPECT_TRUE(session.List2().entries().empty());
    EXPECT_EQ(yields, AutoFilterPurge::kPasses);
}

TEST_F(UpkeepTest, ATickDuringItsOwnYieldsDoesNotStartASecondPurge)
{
    addRows({ "2000" });
    duringYield = [this](int) { purge.tick(); };
    purge.tick();
    EXPECT_EQ(yields, AutoFilterPurge::kPasses);
    EXPECT_EQ(session.List2().entries(), (std::vector<std::string> { "64" }));
    EXPECT_FALSE(purge.isRunning());
}

TEST_F(UpkeepTest, ThePurgedIdentifierStaysOutUntilItsListIsCleared)
{
    session.ingest("<680,1,>");
    session.table().setCell(1, MessageColumn::ChangeCount, "1001");
    purge.tick();
    session.ingest("<680,2,>");
    EXPECT_EQ(session.table().rowCount(), 0);

    session.List2().clear();
    session.ingest("<680,2,>");
    EXPECT_EQ(canIds(), (std::vector<std::string> { "2A8" }));
}

TEST_F(UpkeepTest, TheResetEmptiesEveryChangeMarkAndNothingElse)
{
    session.ingest("<680,1,>");
    session.ingest("<680,2,>");
    session.ingest("<700,1,>");
    const auto before = vexmoor::test::rowsOf(session.table());

    vexmoor::ChangeMarkReset(session.table()).tick();

    auto expected = before;
    expected[0][5].clear();
    EXPECT_EQ(vexmoor::test::rowsOf(session.table()), expected);
}

} // namespace
