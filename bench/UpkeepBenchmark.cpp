// The purge tick over a full table with nothing to purge, its 150 yields to a real event loop
// included, and the change-mark reset.
//   build/bench/vexmoor_upkeep_bench   (use a Release build for figures)
#include "capture/record/CaptureSession.h"
#include "capture/record/SystemTimeOfDay.h"
#include "upkeep/AutoFilterPurge.h"
#include "upkeep/ChangeMarkReset.h"

#include <QCoreApplication>

#include "ShortHelp.h"

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

namespace {

using vexmoor::CaptureSession;

void fill(CaptureSession& session, int rows)
{
    session.txtMinID().setText("0");
    for (int identifier = 0; identifier < rows; ++identifier) {
        std::string record = std::string(1, '<').append(std::to_string(identifier)).append(",1,2,3,4,5,6,7,");
        session.ingest(record + "8,>");
        session.ingest(record + "9,>");
    }
}

void BM_PurgeTickNothingToPurge(benchmark::State& state)
{
    vexmoor::SystemTimeOfDay clock;
    CaptureSession session(clock);
    fill(session, 2048);
    vexmoor::AutoFilterPurge purge(session.table(), session.List2(), session.txtAutoFilter());
    purge.setYieldHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    for (auto _ : state)
        purge.tick();
    state.counters["rows"] = session.table().rowCount();
}
BENCHMARK(BM_PurgeTickNothingToPurge)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_ResetTick(benchmark::State& state)
{
    vexmoor::SystemTimeOfDay clock;
    CaptureSession session(clock);
    fill(session, 2048);
    vexmoor::ChangeMarkReset reset(session.table());
    for (auto _ : state) {
        state.PauseTiming();
        for (int identifier = 0; identifier < 2048; identifier += 2)
            session.ingest(std::string(1, '<').append(std::to_string(identifier)).append(",1,>"));
        state.ResumeTiming();
        reset.tick();
    }
}
BENCHMARK(BM_ResetTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    vexmoor::bench::takeShortHelpAsLong(argc, argv);
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
