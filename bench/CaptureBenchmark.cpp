// Speed of the capture core: ingestion on a busy table (with and without a log running), the serial
// scan on a long stream, the reading of a candump log and the decoding of signals.
//   build/bench/vexmoor_capture_bench   (use a Release build for figures)
#include "capture/changes/ChangeTracker.h"
#include "capture/changes/FrameHistory.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/formats/CandumpLog.h"
#include "capture/formats/CandumpRecorder.h"
#include "capture/formats/DbcWriter.h"
#include "capture/formats/LogFeed.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/FieldSegmentation.h"
#include "capture/record/BoardRecord.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/SystemTimeOfDay.h"
#include "capture/session/SessionFile.h"
#include "capture/signals/FrameDecoder.h"
#include "capture/signals/SignalDecoder.h"
#include "platform/WallClock.h"

#include "BoardStreamGenerator.h"

#include "ShortHelp.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using vexmoor::CanFrame;
using vexmoor::CaptureSession;
using vexmoor::FrameHistory;
using vexmoor::LogFeed;
using vexmoor::SystemTimeOfDay;

// Frames of 2,048 identifiers with eight data bytes each; about one in four changes its data.
std::vector<vexmoor::CanFrame> realisticFrames(std::size_t count)
{
    std::vector<vexmoor::CanFrame> frames;
    frames.reserve(count);
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (std::size_t index = 0; index < count; ++index) {
        vexmoor::CanFrame frame;
        frame.id = next() % 2048;
        const unsigned variant = next() % 4 == 0 ? next() % 256 : 0;
        frame.length = 8;
        frame.data
            = { 1, 16, 255, 23, static_cast<std::uint8_t>(variant), 0, static_cast<std::uint8_t>(frame.id % 256), 0 };
        frames.push_back(frame);
    }
    return frames;
}

// The board's records of realisticFrames.
std::vector<std::string> realisticRecords(std::size_t count)
{
    std::vector<std::string> records;
    records.reserve(count);
    for (const vexmoor::CanFrame& frame : realisticFrames(count))
        records.push_back(vexmoor::BoardRecord::recordText(frame));
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

// A session with every identifier's row already made, as after the first seconds of a drive.
void prepareBusySession(CaptureSession& session)
{
    session.txtMinID().setText("0");
    fillIgnoreLists(session);
    for (unsigned identifier = 0; identifier < 2048; ++identifier)
        session.ingest(std::string(1, '<').append(std::to_string(identifier)).append(",0,>"));
}

// A clock that costs nothing.
class FixedArrival final : public vexmoor::FramesClock {
public:
    std::int64_t nowUs() const override { return 1742339025086274; }
};

// Ingests the realistic records one at a time into a busy session that configure has set up.
template <typename Configure> void ingestRecords(benchmark::State& benchmarkState, Configure configure)
{
    SystemTimeOfDay clock;
    CaptureSession session(clock);
    // The board's records are stamped on arrival, as the capture stamps them.
    static const vexmoor::WallClock arrivalClock(vexmoor::WallClock::Precision::Coarse);
    session.ingestion().setArrivalClock(&arrivalClock);
    configure(session);
    prepareBusySession(session);
    const auto records = realisticRecords(1 << 16);

    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        session.ingest(records[next]);
        next = (next + 1) & (records.size() - 1);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["rows"] = session.table().rowCount();
}

void BM_ParseData(benchmark::State& benchmarkState)
{
    ingestRecords(benchmarkState, [](CaptureSession&) {});
}
BENCHMARK(BM_ParseData);

// The same records without the change tracking: what the tracking adds is the difference.
void BM_ParseDataUntracked(benchmark::State& benchmarkState)
{
    ingestRecords(benchmarkState, [](CaptureSession& session) { session.ingestion().setChangeTracker(nullptr); });
}
BENCHMARK(BM_ParseDataUntracked);

// Tracked, without the ranking listening: what the ranking adds within ingestion is the difference.
void BM_ParseDataUnranked(benchmark::State& benchmarkState)
{
    ingestRecords(benchmarkState, [](CaptureSession& session) { session.changes().setFlipListener(nullptr); });
}
BENCHMARK(BM_ParseDataUnranked);

// Tracked and ranked, without the frame history: what keeping every frame adds is the difference.
void BM_ParseDataWithoutHistory(benchmark::State& benchmarkState)
{
    ingestRecords(benchmarkState, [](CaptureSession& session) { session.ingestion().setFrameHistory(nullptr); });
}
BENCHMARK(BM_ParseDataWithoutHistory);

// The history alone, growing (0) or full, letting its oldest frame go for every new one (1).
void BM_FrameHistoryObserve(benchmark::State& benchmarkState)
{
    FrameHistory history(benchmarkState.range(0) == 0 ? std::size_t { 1 } << 32 : FrameHistory::kMinLimitBytes);
    CanFrame frame;
    frame.length = 8;
    std::int64_t timeUs = 1742339025086274;
    std::uint32_t next = 0;
    for (auto _ : benchmarkState) {
        next = next * 1103515245 + 12345;
        frame.id = 0x100 + ((next >> 16) & 0xFF);
        frame.data[0] = static_cast<std::uint8_t>(next);
        frame.timestampUs = (timeUs += 500);
        history.observe(frame);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["bytes/frame"] = static_cast<double>(history.bytesUsed())
        / static_cast<double>(std::max<std::uint64_t>(history.framesKept(), 1));
}
BENCHMARK(BM_FrameHistoryObserve)->Arg(0)->Arg(1);

// Tracked, with a clock that costs nothing: how much of the tracking is reading the clock.
void BM_ParseDataFixedArrival(benchmark::State& benchmarkState)
{
    static const FixedArrival arrival;
    ingestRecords(benchmarkState, [](CaptureSession& session) { session.ingestion().setArrivalClock(&arrival); });
}
BENCHMARK(BM_ParseDataFixedArrival);

// The same records while a log runs: every record is also read back into a frame and written as a
// candump line in memory. The lines are taken as the log's flush takes them, without the disk.
void BM_ParseDataWhileLogging(benchmark::State& benchmarkState)
{
    constexpr std::size_t kRecordsPerTake = 10000;
    SystemTimeOfDay clock;
    CaptureSession session(clock);
    prepareBusySession(session);
    const auto records = realisticRecords(1 << 16);
    std::int64_t arrivalUs = 1742339025086274;
    vexmoor::CandumpRecorder recorder([&arrivalUs] { return arrivalUs += 400; });
    session.ingestion().setTap(&recorder);
    std::string taken;

    std::size_t next = 0;
    std::size_t sinceTake = 0;
    for (auto _ : benchmarkState) {
        session.ingest(records[next]);
        next = (next + 1) & (records.size() - 1);
        if (++sinceTake == kRecordsPerTake) {
            recorder.takeLines(taken);
            benchmark::DoNotOptimize(taken.data());
            sinceTake = 0;
        }
    }
    session.ingestion().setTap(nullptr);
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["frames_logged"] = static_cast<double>(recorder.framesLogged());
}
BENCHMARK(BM_ParseDataWhileLogging);

// What the change tracker adds to each frame once every identifier has been seen (range 0). Range 1
// adds the ranking listening without marks; range 2 with marks every 4 s, so that every frame of the
// run falls in a mark's window and every flip is counted for it: the most the ranking adds live.
void BM_ChangeTrackerObserve(benchmark::State& benchmarkState)
{
    constexpr std::int64_t kFrameSpacingUs = 100;
    vexmoor::ChangeTracker tracker;
    vexmoor::BitRanking ranking(tracker);
    if (benchmarkState.range(0) == 0)
        tracker.setFlipListener(nullptr);
    auto frames = realisticFrames(1 << 16);
    std::int64_t timeUs = 1742339025086274;
    for (std::uint32_t identifier = 0; identifier < 2048; ++identifier) {
        vexmoor::CanFrame frame;
        frame.id = identifier;
        frame.timestampUs = timeUs;
        tracker.observe(frame);
    }
    for (std::int64_t mark = 0; benchmarkState.range(0) == 2 && mark < 64; ++mark)
        ranking.addMark(timeUs + 1'000'000 + mark * 4'000'000);

    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        vexmoor::CanFrame& frame = frames[next];
        frame.timestampUs = timeUs += kFrameSpacingUs;
        tracker.observe(frame);
        next = (next + 1) & (frames.size() - 1);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["identifiers"] = static_cast<double>(tracker.size());
    benchmarkState.counters["bytes_per_identifier"] = sizeof(vexmoor::IdentifierChanges);
    benchmarkState.counters["ranked_bits"] = static_cast<double>(ranking.rank(nullptr).size());
}
// 2,000,000 frames at 10,000 a second: the 200 s that 64 marks' windows cover.
BENCHMARK(BM_ChangeTrackerObserve)->Arg(0)->Arg(1)->Arg(2)->Iterations(2'000'000);

// The same for CAN FD frames of 64 bytes over 2,048 identifiers, each byte of the first 8 repeated in
// the other 56 so that they change as often: the tracker's cost per frame and its memory, which a
// classic identifier does not pay.
void BM_ChangeTrackerObserveFd(benchmark::State& benchmarkState)
{
    constexpr std::int64_t kFrameSpacingUs = 200;
    vexmoor::ChangeTracker tracker;
    vexmoor::BitRanking ranking(tracker);
    auto frames = realisticFrames(1 << 16);
    for (vexmoor::CanFrame& frame : frames) {
        frame.fd = true;
        for (std::size_t index = 8; index < vexmoor::CanFrame::kMaxFdLength; ++index)
            frame.data[index] = static_cast<std::uint8_t>(frame.data[index % 8] ^ (index / 8));
        frame.length = vexmoor::CanFrame::kMaxFdLength;
    }
    std::int64_t timeUs = 1742339025086274;
    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        vexmoor::CanFrame& frame = frames[next];
        frame.timestampUs = timeUs += kFrameSpacingUs;
        tracker.observe(frame);
        next = (next + 1) & (frames.size() - 1);
    }
    std::size_t bytes = 0;
    for (std::size_t index = 0; index < tracker.size(); ++index)
        bytes += sizeof(vexmoor::IdentifierChanges) * (tracker.at(index).hasLongData() ? 8 : 1);
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["identifiers"] = static_cast<double>(tracker.size());
    benchmarkState.counters["tracker_MiB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_ChangeTrackerObserveFd)->Iterations(1'000'000);

// Ranking every bit once the marks' windows have seen a busy bus: what the candidates panel asks for
// once a second.
void BM_BitRankingRank(benchmark::State& benchmarkState)
{
    vexmoor::ChangeTracker tracker;
    vexmoor::BitRanking ranking(tracker);
    auto frames = realisticFrames(1 << 16);
    std::int64_t timeUs = 1742339025086274;
    const auto marks = benchmarkState.range(0);
    for (std::int64_t mark = 0; mark < marks; ++mark)
        ranking.addMark(timeUs + 1'000'000 + mark * 5'000'000);
    for (std::int64_t frame = 0; frame < marks * 50'000; ++frame) {
        vexmoor::CanFrame& next = frames[static_cast<std::size_t>(frame) & (frames.size() - 1)];
        next.timestampUs = timeUs += 100;
        tracker.observe(next);
    }
    for (auto _ : benchmarkState)
        benchmark::DoNotOptimize(ranking.rank(nullptr, 50).size());
    benchmarkState.counters["ranked_bits"] = static_cast<double>(ranking.rank(nullptr).size());
}
BENCHMARK(BM_BitRankingRank)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

// What the plot adds to each frame of 2,048 identifiers: with nothing plotted (range 0), and with four
// values plotted (range 4), four identifiers among the 2,048, one of them extended. Range 1 plots one
// value of an identifier that every frame carries: the cost of recording itself.
void BM_SignalRecorderObserve(benchmark::State& benchmarkState)
{
    constexpr std::int64_t kFrameSpacingUs = 100;
    vexmoor::SignalRecorder recorder;
    auto frames = realisticFrames(1 << 16);
    using vexmoor::PlotSignal;
    const std::vector<PlotSignal> plotted { PlotSignal::ofBytes(0x100, false, 4), PlotSignal::ofBit(0x200, false, 4, 0),
                                            PlotSignal::ofBytes(0x300, false, 4, 2, PlotSignal::Order::LittleEndian),
                                            PlotSignal::ofBytes(0x18DAF110, true, 0) };
    if (benchmarkState.range(0) == 1) {
        recorder.add(plotted.front());
        for (vexmoor::CanFrame& frame : frames)
            frame.id = 0x100;
    }
    for (std::size_t index = 0; index < plotted.size() && benchmarkState.range(0) == 4; ++index)
        recorder.add(plotted[index]);

    std::int64_t timeUs = 1742339025086274;
    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        vexmoor::CanFrame& frame = frames[next];
        frame.timestampUs = timeUs += kFrameSpacingUs;
        recorder.observe(frame);
        next = (next + 1) & (frames.size() - 1);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.counters["signals"] = static_cast<double>(recorder.count());
    benchmarkState.counters["revision"] = static_cast<double>(recorder.revision());
}
BENCHMARK(BM_SignalRecorderObserve)->Arg(0)->Arg(4)->Arg(1);

// One signal out of 8-byte frames whose data varies: a flag (range 0), 12 bits little endian across
// two bytes (1), 16 bits big endian signed (2), all 64 bits (3).
void BM_DecodeSignal(benchmark::State& benchmarkState)
{
    vexmoor::SignalDefinition signal;
    signal.factor = 0.25;
    signal.offset = -40;
    const auto shape = benchmarkState.range(0);
    signal.startBit = shape == 0 ? 13 : shape == 1 ? 12 : shape == 2 ? 23 : 0;
    signal.length = shape == 0 ? 1 : shape == 1 ? 12 : shape == 2 ? 16 : 64;
    signal.byteOrder = shape == 2 ? vexmoor::ByteOrder::BigEndian : vexmoor::ByteOrder::LittleEndian;
    signal.valueType = shape == 2 ? vexmoor::SignalValueType::Signed : vexmoor::SignalValueType::Unsigned;
    const vexmoor::SignalDecoder decoder(signal);
    const auto frames = realisticFrames(1 << 10);

    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        benchmark::DoNotOptimize(decoder.decode(frames[next].data));
        next = (next + 1) & (frames.size() - 1);
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
    benchmarkState.SetLabel(shape == 0       ? "1-bit flag"
                                : shape == 1 ? "12-bit little endian"
                                : shape == 2 ? "16-bit big endian signed"
                                             : "64-bit");
}
BENCHMARK(BM_DecodeSignal)->DenseRange(0, 3);

// What a database adds to each frame of a bus where most identifiers have no definition: 20 of the
// 2,048 identifiers are defined, with four signals each.
void BM_DecodeFrame(benchmark::State& benchmarkState)
{
    std::vector<vexmoor::MessageDefinition> messages;
    for (std::uint32_t id = 0; id < 2048; id += 100) {
        vexmoor::MessageDefinition message;
        message.id = id;
        for (std::uint16_t startBit : { 0, 12, 24, 40 }) {
            vexmoor::SignalDefinition signal;
            signal.startBit = startBit;
            signal.length = 12;
            message.signalDefinitions.push_back(signal);
        }
        messages.push_back(message);
    }
    const vexmoor::FrameDecoder decoder(messages);
    const auto frames = realisticFrames(1 << 16);

    double sum = 0;
    std::size_t next = 0;
    for (auto _ : benchmarkState) {
        decoder.decode(frames[next],
                       [&sum](const vexmoor::MessageDecoder&, std::size_t, const vexmoor::SignalValue& value) {
                           sum += value.physical;
                       });
        next = (next + 1) & (frames.size() - 1);
    }
    benchmark::DoNotOptimize(sum);
    benchmarkState.SetItemsProcessed(benchmarkState.iterations());
}
BENCHMARK(BM_DecodeFrame);

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

// A candump log as a busy bus fills it: 151 standard identifiers with one to eight bytes, one
// frame every 400 us, now and then an extended one.
std::string candumpLog(int lineCount)
{
    std::string log;
    std::uint32_t state = 777;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    vexmoor::CanFrame frame;
    frame.timestampUs = 1742339025086274;
    for (int line = 0; line < lineCount; ++line) {
        frame.extended = next() % 64 == 0;
        frame.id = frame.extended ? 0x18DA0000 + next() % 256 : 0x100 + next() % 151;
        frame.length = static_cast<std::uint8_t>(1 + frame.id % 8);
        for (auto& byte : frame.data)
            byte = static_cast<std::uint8_t>(next());
        frame.timestampUs += 400;
        vexmoor::CandumpLog::appendLine(frame, "can0", log);
    }
    return log;
}

void BM_CandumpRead(benchmark::State& benchmarkState)
{
    constexpr int kLines = 100000;
    constexpr std::size_t kChunk = 64 * 1024; // what a file read hands over at a time
    const std::string log = candumpLog(kLines);
    std::uint64_t checksum = 0;
    const LogFeed::Sink sink {
        [&checksum](const CanFrame& frame, std::string_view) { checksum += frame.id + frame.data[0]; },
        [](std::string) {},
    };
    for (auto _ : benchmarkState) {
        LogFeed feed(sink);
        for (std::size_t offset = 0; offset < log.size(); offset += kChunk)
            feed.feed(std::string_view(log).substr(offset, kChunk));
        feed.finish();
        if (feed.format() != vexmoor::LogFormat::Candump || feed.frames() != kLines) {
            benchmarkState.SkipWithError("the generated log did not read back whole");
            break;
        }
    }
    benchmark::DoNotOptimize(checksum);
    benchmarkState.SetItemsProcessed(benchmarkState.iterations() * kLines);
    benchmarkState.SetBytesProcessed(benchmarkState.iterations() * static_cast<std::int64_t>(log.size()));
}
BENCHMARK(BM_CandumpRead)->Unit(benchmark::kMillisecond);

// A session of an evening's hunt: 200 names, 1,000 suppressed bits, 50 marks with notes and a database
// of ten messages of ten signals. Reading it checks every item, the database's text included; the
// file's size is the counter "bytes".
void BM_SessionRead(benchmark::State& benchmarkState)
{
    vexmoor::SessionState session;
    for (int id = 0; id < 200; ++id)
        session.names.push_back({ std::to_string(100 + id), "Name of " + std::to_string(id) });
    for (int id = 0; id < 125; ++id)
        session.suppressed.push_back({ std::to_string(300 + id), 0xFF00000000000000ULL >> (id % 8 * 8) });
    for (std::int64_t mark = 0; mark < 50; ++mark)
        session.marks.push_back({ 1'733'700'000'000'000 + mark * 5'000'000, "switch pressed" });
    vexmoor::SignalDatabase database;
    for (std::uint32_t id = 256; id < 266; ++id) {
        vexmoor::MessageDefinition message;
        message.id = id;
        message.name = "MSG_" + std::to_string(id);
        for (std::uint16_t signal = 0; signal < 10; ++signal) {
            vexmoor::SignalDefinition definition;
            definition.name = "S" + std::to_string(signal) + "_" + std::to_string(id);
            definition.startBit = static_cast<std::uint16_t>(signal * 6);
            definition.length = 6;
            definition.factor = 0.5;
            definition.unit = "km/h";
            message.signalDefinitions.push_back(definition);
        }
        database.addMessage(message);
    }
    session.dbc = vexmoor::SessionState::Dbc { vexmoor::DbcWriter::write(database), "hundred.dbc" };
    const std::string text = vexmoor::SessionFile::write(session);
    for (auto _ : benchmarkState) {
        auto read = vexmoor::SessionFile::read(text);
        if (!std::holds_alternative<vexmoor::SessionState>(read)) {
            benchmarkState.SkipWithError("the session did not read back");
            break;
        }
        benchmark::DoNotOptimize(read);
    }
    benchmarkState.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_SessionRead)->Unit(benchmark::kMillisecond);

// The live proposal of a message's fields at its worst: the identifier shown is one of 50,000 frames
// in the history (the most a proposal reads), with a counter, a checksum, values and flags. It runs
// once a second while the bit view is shown, so its time in milliseconds is tenths of a percent of a
// core.
void BM_AnatomyOfBusyIdentifier(benchmark::State& benchmarkState)
{
    constexpr int kFrames = 50'000;
    FrameHistory history;
    CanFrame frame;
    frame.id = 0x1A4;
    frame.length = 8;
    std::uint32_t next = 0;
    for (int index = 0; index < kFrames; ++index) {
        next = next * 1103515245 + 12345;
        const int speed = 3000 + index / 4 + static_cast<int>((next >> 16) % 5);
        frame.data[0] = static_cast<std::uint8_t>(speed >> 8);
        frame.data[1] = static_cast<std::uint8_t>(speed);
        frame.data[2] = static_cast<std::uint8_t>(index / 5000 % 2 ? 0x10 : 0x00);
        frame.data[3] = static_cast<std::uint8_t>(40 + index / 700);
        frame.data[7] = static_cast<std::uint8_t>((index % 4) << 4);
        int sum = 0;
        for (int byte = 0; byte < 8; ++byte)
            sum += (frame.data[byte] >> 4) + (frame.data[byte] & 0x0F);
        frame.data[7] = static_cast<std::uint8_t>(frame.data[7] | ((8 - sum) & 0x0F));
        frame.timestampUs = 1742339025086274 + index * 1000;
        history.observe(frame);
    }
    for (auto _ : benchmarkState) {
        std::vector<CanFrame> frames;
        frames.reserve(kFrames);
        history.forEachFrame(frame.id, false, [&frames](const CanFrame& each) { frames.push_back(each); });
        benchmark::DoNotOptimize(vexmoor::FieldSegmentation::propose(frames));
    }
    benchmarkState.SetItemsProcessed(benchmarkState.iterations() * kFrames);
}
BENCHMARK(BM_AnatomyOfBusyIdentifier)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    vexmoor::bench::takeShortHelpAsLong(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
