#pragma once

#include <cstdint>
#include <string>

namespace vexmoor {

// The values that the routines of the main window share, named as the routines name them. They
// live as long as the main window; every row scan (ingestion's and the upkeep's) uses RowIndex,
// RowCount and RowText in turn, which works because no row scan yields in its middle.
struct CaptureState {
    std::string CurrentMessage; // the record text to ingest next
    std::string SerialInput; // the text taken by the latest poll
    double RowIndex = 0; // position the latest row scan is at (whole values)
    double RowCount = 0; // number of rows when the latest row scan started
    std::string RowText; // CAN_ID of the row at RowIndex
    std::string HexID; // CAN_ID text of the latest record with an identifier
    std::int16_t DecimalID = 0; // the same identifier as a number
    std::int16_t NotesRowIndex = 0; // row for which the notes window was last opened; 0 until then

    // The serial scan's values, kept between scans though nothing reads them there. Positions count
    // from 1 in SerialInput; they are 64 bits wide so that no poll text, however long, overflows them.
    bool InRecord = false;
    std::int64_t ScanPos = 0;
    std::int64_t RecordStart = 0;
    std::int64_t RecordLength = 0;
    std::string RecordInner;
};

} // namespace vexmoor
