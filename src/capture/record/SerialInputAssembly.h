#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vexmoor {

struct CaptureState;
class RecordSink;

// Cuts the text of each serial poll into records and hands each one to ingestion. Only "<" and ">"
// delimit records; everything outside a pair is passed over. A record that a poll boundary cuts is
// carried into the next poll and completed there, so the table never depends on where polls cut
// the stream.
class SerialInputAssembly final {
public:
    // A record carried from one poll to the next is dropped once the text after its "<" grows past
    // this, so that noise without a ">" cannot grow memory without bound.
    static constexpr std::size_t kMaxCarriedRecordLength = 4096;

    using YieldHook = std::function<void()>;

    SerialInputAssembly(CaptureState& state, RecordSink& ingestion);

    // Called before every character the scan looks at, so that a long scan lets the event loop run.
    void setYieldHook(YieldHook yieldHook) { m_yield = std::move(yieldHook); }

    // One poll with the text read from the port: SerialInput takes the text, and a non-empty text is
    // scanned. While a scan is yielding, a poll must not read the port at all (it would take text
    // the next poll is meant to scan); a poll that comes in anyway is refused and returns false.
    bool poll(std::string text);

    // Scans SerialInput and ingests every complete record in the order of their ">".
    void ReadMessages();

    bool isScanning() const { return m_scanning; }
    bool isCarryingRecord() const { return m_carrying; }
    // Forgets an unfinished record, for when the stream it came from ends or is replaced.
    void discardCarriedRecord();

private:
    void ingest(std::string_view carried, std::string_view inner);

    CaptureState& m_state;
    RecordSink& m_ingestion;
    YieldHook m_yield;
    bool m_scanning = false;
    bool m_carrying = false;
    std::string m_carried; // the text after the "<" of the unfinished record
};

} // namespace vexmoor
