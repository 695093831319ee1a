#pragma once

#include "capture/record/BusNames.h"
#include "capture/record/CanFrame.h"
#include "capture/record/FrameFacts.h"
#include "capture/record/FramesClock.h"
#include "capture/record/RecordSink.h"
#include "capture/record/TimeOfDaySource.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vexmoor {

struct CanFrame;
struct CaptureState;
class ChangeTracker;
class FrameHistory;
class FrameListener;
struct FrameFacts;
class RecordTap;
class SignalRecorder;
class IgnoreList;
class MessageNotesLog;
class MessageTable;
struct MessageRow;
class TextSetting;

// Folds the record in CurrentMessage into the message table. Every source of records, the serial
// scan and the generators alike, sets CurrentMessage and calls ParseData at once; ParseData never
// yields, so a record always reaches the table whole.
class RecordIngestion final : public RecordSink {
public:
    RecordIngestion(CaptureState& state, MessageTable& table, const IgnoreList& messageIgnoreList,
                    const IgnoreList& idIgnoreList, const TextSetting& minimumId, TimeOfDaySource& clock);

    // The notes window while it exists; nullptr when there is none.
    void setNotesLog(MessageNotesLog* notesLog) { m_notesLog = notesLog; }
    MessageNotesLog* notesLog() const { return m_notesLog; }

    void ParseData() override;
    // ParseData for a record that a source made from a frame it knows (a log, a CAN interface): the
    // facts decide whether the identifier is extended and give the row its time of day.
    void ParseFrame(const FrameFacts& facts);

    // What sees every record on its way in; nullptr for none.
    void setTap(RecordTap* tap) { m_tap = tap; }

    // What follows the changes of every frame with an identifier, before the ignore lists and the
    // minimum identifier hold any back; nullptr for none.
    void setChangeTracker(ChangeTracker* tracker) { m_tracker = tracker; }
    // What records the plotted values of those same frames; nullptr for none.
    void setSignalRecorder(SignalRecorder* recorder) { m_recorder = recorder; }
    // Who keeps every frame for what is asked of the past later; nullptr for nobody.
    void setFrameHistory(FrameHistory* history) { m_history = history; }
    // Who else hears every frame with an identifier (the signal decoding); nullptr for nobody.
    void setFrameListener(FrameListener* listener) { m_listener = listener; }
    // What stamps a record without a time stamp of its own (the board's, a generator's) as it
    // arrives; without one such records carry time 0. The clock must outlive the ingestion.
    void setArrivalClock(const FramesClock* clock) { m_arrivalClock = clock; }
    // Names given to identifiers whose rows have not come yet, by CAN_ID text (with "@" and the bus's
    // name after it for a row of one bus while rows are kept per bus): each goes on its row
    // as the row is made, as if "Save Name" had been pressed then, and leaves this list.
    std::map<std::string, std::string, std::less<>>& namesToCome() { return m_namesToCome; }
    const std::map<std::string, std::string, std::less<>>& namesToCome() const { return m_namesToCome; }

    // A row per bus and identifier, and the trackers keyed the same way: each frame takes the number
    // of its bus (the interface it came from, or the records' bus) before anything hears of it. Off,
    // every frame is bus 0 and a row holds an identifier of every bus. Whoever switches it clears the
    // table and the trackers first, so that no row or tracked identifier is keyed both ways.
    void setRowsPerBus(bool on) { m_rowsPerBus = on; }
    bool rowsPerBus() const { return m_rowsPerBus; }
    // The buses seen, by number.
    BusNames& buses() { return m_buses; }
    const BusNames& buses() const { return m_buses; }
    // The bus of records that come without a frame's facts (the board's line): its source's name,
    // "board" until one is given, as a log of the board's records names it.
    void setRecordBus(std::string_view name) { m_recordBus.assign(name); }
    const std::string& recordBus() const { return m_recordBus; }

    // Records with a frame's shape and identifier since the start, counted before the ignore lists
    // and the minimum identifier hold any back: the rate of the bus, not of the table.
    std::uint64_t framesSeen() const { return m_framesSeen; }

private:
    // The frame of the record being ingested: the source's own, or the record read back when the
    // tracker or the plot wants one; nullptr when there is neither.
    const CanFrame* frameOfRecord(std::string_view message);
    void appendToNotes();
    bool updateRows();
    void updateRow(MessageRow& row);
    void appendRow();
    const std::string& timeText();

    CaptureState& m_state;
    MessageTable& m_table;
    const IgnoreList& m_messageIgnoreList;
    const IgnoreList& m_idIgnoreList;
    const TextSetting& m_minimumId;
    TimeOfDaySource& m_clock;
    MessageNotesLog* m_notesLog = nullptr;
    RecordTap* m_tap = nullptr;
    ChangeTracker* m_tracker = nullptr;
    SignalRecorder* m_recorder = nullptr;
    FrameHistory* m_history = nullptr;
    FrameListener* m_listener = nullptr;
    const FramesClock* m_arrivalClock = nullptr;
    // The facts of the record being ingested, while ParseFrame runs.
    const FrameFacts* m_facts = nullptr;
    // The source's frame with its bus's number, while rows are kept per bus.
    CanFrame m_busFrame;
    std::optional<FrameFacts> m_busFacts;
    bool m_rowsPerBus = false;
    BusNames m_buses;
    std::string m_recordBus { "board" };
    std::uint8_t m_bus = 0; // of the record being ingested
    const CanFrame* m_frame = nullptr;
    CanFrame m_recordFrame;
    std::uint64_t m_framesSeen = 0;

    // Working values of one record, kept as members only so that their buffers are reused.
    std::string m_asciiText;
    std::string m_nameKey;
    std::map<std::string, std::string, std::less<>> m_namesToCome;
    bool m_asciiTextReady = false;
    bool m_timeTextReady = false;
    TimeOfDay m_formattedTime { -1, -1, -1 };
    std::string m_timeText;
};

} // namespace vexmoor
