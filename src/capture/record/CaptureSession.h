#pragma once

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/FrameHistory.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/ranking/BitRanking.h"
#include "capture/record/CaptureState.h"
#include "capture/record/IgnoreList.h"
#include "capture/record/MessageTable.h"
#include "capture/record/RecordIngestion.h"
#include "capture/record/SerialInputAssembly.h"
#include "capture/record/TextSetting.h"

#include <string_view>

namespace vexmoor {

struct CanFrame;
class TimeOfDaySource;

// Everything the capture keeps for the whole run, owned by the main window: the message table, the
// two ignore lists, the two settings and the shared state values, with ingestion and the serial
// scan working on them.
class CaptureSession final {
public:
    static constexpr std::string_view kDefaultMinimumId = "250";
    static constexpr std::string_view kDefaultAutoFilter = "1000";
    // The upkeep's own intervals, until the Options window or a session sets others.
    static constexpr int kDefaultPollIntervalMs = 300;
    static constexpr int kDefaultPurgeIntervalMs = 5000;
    static constexpr int kDefaultResetIntervalMs = 10000;

    explicit CaptureSession(TimeOfDaySource& clock);
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    MessageTable& table() { return m_table; }
    const MessageTable& table() const { return m_table; }
    IgnoreList& List1() { return m_messageIgnoreList; }
    const IgnoreList& List1() const { return m_messageIgnoreList; }
    IgnoreList& List2() { return m_idIgnoreList; }
    const IgnoreList& List2() const { return m_idIgnoreList; }
    TextSetting& txtMinID() { return m_minimumId; }
    const TextSetting& txtMinID() const { return m_minimumId; }
    TextSetting& txtAutoFilter() { return m_autoFilter; }
    const TextSetting& txtAutoFilter() const { return m_autoFilter; }
    CaptureState& state() { return m_state; }
    RecordIngestion& ingestion() { return m_ingestion; }
    const RecordIngestion& ingestion() const { return m_ingestion; }
    SerialInputAssembly& assembly() { return m_assembly; }
    // What every frame's bytes and bits did, whatever the table keeps of it.
    ChangeTracker& changes() { return m_changes; }
    const ChangeTracker& changes() const { return m_changes; }
    // How well every bit's flips follow the marks the user takes.
    BitRanking& ranking() { return m_ranking; }
    const BitRanking& ranking() const { return m_ranking; }
    // Every frame with an identifier, as far back as its memory allows.
    FrameHistory& history() { return m_history; }
    const FrameHistory& history() const { return m_history; }
    // The values the user plots, over time.
    SignalRecorder& plotted() { return m_plotted; }
    const SignalRecorder& plotted() const { return m_plotted; }

    // "&Clear All Data in the List": the table, what the frames did (changes, history, plotted values)
    // and the marks with their ranking go; the ignore lists, the settings, the chosen plots and the
    // suppression stay.
    void clear();

    // A row per bus and identifier, or one per identifier (off, the default). Switching clears as
    // clear() does, so that no row or tracked identifier is keyed both ways.
    void setRowsPerBus(bool on);
    bool rowsPerBus() const { return m_ingestion.rowsPerBus(); }
    // The number a frame of this interface carries: its bus's while rows are kept per bus, else 0.
    std::uint8_t busOf(std::string_view interfaceName)
    {
        return rowsPerBus() ? m_ingestion.buses().numberOf(interfaceName) : 0;
    }
    // The name of a bus by its number; empty for 0.
    const std::string& busName(std::uint8_t number) const { return m_ingestion.buses().nameOf(number); }

    // What every generator does with a record it made: CurrentMessage := record, then ParseData.
    void ingest(std::string_view recordText);
    // A frame from a source that knows it (a log, a CAN interface): the record text the board would
    // write for it goes the same way, with the frame's format and time stamp beside it.
    void ingestFrame(const CanFrame& frame, std::string_view interfaceName);

private:
    CaptureState m_state;
    MessageTable m_table;
    IgnoreList m_messageIgnoreList;
    IgnoreList m_idIgnoreList;
    TextSetting m_minimumId { kDefaultMinimumId };
    TextSetting m_autoFilter { kDefaultAutoFilter };
    ChangeTracker m_changes;
    BitRanking m_ranking { m_changes };
    FrameHistory m_history;
    SignalRecorder m_plotted;
    RecordIngestion m_ingestion;
    SerialInputAssembly m_assembly;
};

} // namespace vexmoor
