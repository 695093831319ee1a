#pragma once

#include "capture/ranking/Mark.h"
#include "capture/session/JsonValue.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexmoor {

// Everything a person set up while hunting in a car, as one session file keeps it: plain data, read
// and written by SessionFile, gathered from and applied to the window by its controls. Text is UTF-8;
// identifiers are kept as the table's CAN_ID column writes them ("2A8", "000007DF").
struct SessionState {
    // The Options window's boxes, as typed; empty: not set, the program's own stays.
    struct Options {
        std::string pollIntervalMs;
        std::string purgeIntervalMs;
        std::string resetIntervalMs;
        std::string autoFilterThreshold;
        std::string minimumId;
        bool operator==(const Options&) const = default;
    };
    // bus: the bus's name while rows are kept per bus; empty for a row of every bus.
    struct Name {
        std::string canId;
        std::string name;
        std::string bus = {};
        bool operator==(const Name&) const = default;
    };
    struct MaskedBits {
        using Words = std::array<std::uint64_t, 8>;
        std::string canId;
        Words words {}; // bit i of word w is bit i % 8 of byte 8w + i / 8: a CAN FD frame's 512
        std::string bus = {};
        bool operator==(const MaskedBits&) const = default;
    };
    // A plotted value: a bit, bytes, or a signal of the session's database by its names.
    struct PlotEntry {
        std::string canId;
        int byte = 0;
        int byteCount = 1;
        bool littleEndian = false;
        std::optional<int> bit;
        std::string message; // set: a database's signal
        std::string signal;
        std::string bus = {};
        bool operator==(const PlotEntry&) const = default;
    };
    struct Dbc {
        std::string text; // as Save DBC would write it
        std::string path; // where Save DBC writes; empty for a database never saved
        bool operator==(const Dbc&) const = default;
    };

    Options options;
    std::vector<std::string> ignoredIds;
    std::vector<std::string> ignoredMessages;
    std::vector<Name> names;
    std::int64_t suppressionWindowUs = 3'000'000;
    std::vector<MaskedBits> suppressed;
    std::vector<Mark> marks;
    std::int64_t rankingBeforeUs = 1'000'000;
    std::int64_t rankingAfterUs = 3'000'000;
    std::optional<Dbc> dbc;
    // The bus the database decodes; empty: every bus.
    std::string dbcBus;
    // A row per bus and identifier.
    bool rowsPerBus = false;
    std::vector<PlotEntry> plotted;
    std::vector<std::string> hiddenColumns; // by their titles
    std::string windowGeometry; // base64, as saveGeometry and saveState give them
    std::string windowState;
    std::string lastSource;
    std::string lastLog;
    // Keys of a version-1 file that this program does not know, kept to be written back.
    std::vector<JsonValue::Member> unknown;
};

} // namespace vexmoor
