#pragma once

#include <cstdint>
#include <string>

namespace vexmoor {

// The values that the routines of the main window share, named as the routines name them. They
// live as long as the main window. A row scan keeps its position and row count to itself: nothing
// reads them after the scan.
struct CaptureState {
    std::string CurrentMessage; // the record text to ingest next
    std::string SerialInput; // the text taken by the latest poll
    std::string HexID; // CAN_ID text of the latest record with an identifier
    std::uint32_t DecimalID = 0; // the same identifier as a number: 29 bits for an extended frame
    std::int16_t NotesRowIndex = 0; // row for which the notes window was last opened; 0 until then
};

} // namespace vexmoor
