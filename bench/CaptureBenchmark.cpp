// Speed of the capture core: ingestion on a busy table and the serial scan on a long stream.
//   build/bench/vexmoor_capture_bench   (use a Release build for figures)
#include "capture/CaptureSession.h"
#include "capture/SystemTimeOfDay.h"

#include "BoardStreamGenerator.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>
#include <vector>

namespace {

using vexmoor::CaptureSession;
using vexmoor::SystemTimeOfDay;

// Records of 2,048 identifiers with eight data bytes each; about one in four changes its data.
std::vector<std::string> realisticRecords(std::size_t count)
{
    std::vector<std::string> records;
    records.reserve(count);
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (std::size_t index = 0; index < count; ++index) {
        const unsigned identifier = next() % 2048;
        const unsigned variant = next() % 4 == 0 ? next() % 256 : 0;
        std::string record(1, '<');
        record.append(std::to_string(identifier)).append(",1,16,255,23,").append(std::to_string(variant));
        record.append(",0,").append(std::to_string(identifier % 256)).append(",0,>");
        records.push_back(std::move(record));
    }
    return records;
}

void fillIgnoreLists(CaptureSession& session)
{
    // Entries that never match, so that every record pays for both lookups.
    for (int index = 0; index < 100; ++index) {
        session.List1().append(std::string(1, '<').append(std::to_string(3000 + index)).append(",1,2,3,>"));
        session.List2().append(std::to_string(9000 + index).append("X"));
    }
}

void BM_ParseData(benchmark::State& benchmarkState)
{
    SystemTimeOfDay clock;
    CaptureSession session(clock);
    session.txtMinID().setText("0");
    fillIgnoreLists(session);
    const auto records = realisticRecords(1 << 16);
    for (unsigned identifier = 0; identifier < 2048; ++identifier)
        session.ingest(std::string(1, '<').append(std::to_string(identifier)).append(",0,>"));

    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        session.ingest(records[next]);
        next = (next + 1) & (records.size() - 1);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["rows"] = session.table().rowCount();
}
BENCHMARK(BM_ParseData);

void BM_ReadMessages(benchmark::State& benchmarkState)
{
    vexmoor::tools::BoardStreamGenerator generator({ .seed = 5, .identifierCount = 151 });
    const std::string stream = generator.records(100000);
    const auto pollSize = static_cast<std::size_t>(benchmarkState.range(0));
    SystemTimeOfDay clock;
    for (auto _ : benchmarkState) {
        CaptureSession session(clock);
        for (std::size_t offset = 0; offset < stream.size(); offset += pollSize)
            session.assembly().poll(stream.substr(offset, pollSize));
        benchmark::DoNotOptimize(session.table().rowCount());
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations() * 100000);
    benchmarkState.SetBytesProcessed(benchmarkState.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ReadMessages)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);

// Heap bytes that one row costs once every cell is filled as a busy bus fills it: the counter
// bytes_per_row is the figure; the time is of no interest.
void BM_TableMemoryPerRow(benchmark::State& benchmarkState)
{
    constexpr int kRows = 2048;
    SystemTimeOfDay clock;
    for (auto _ : benchmarkState) {
        CaptureSession session(clock);
        session.txtMinID().setText("0");
        const auto before = mallinfo2().uordblks;
        for (unsigned identifier = 0; identifier < kRows; ++identifier) {
            std::string record(1, '<');
            record.append(std::to_string(identifier)).append(",255,255,255,255,255,255,255,");
            session.ingest(record + "254,>");
            session.ingest(record + "255,>");
        }
        const auto after = mallinfo2().uordblks;
        benchmarkState.counters["bytes_per_row"] = static_cast<double>(after - before) / kRows;
    }
}
BENCHMARK(BM_TableMemoryPerRow)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
