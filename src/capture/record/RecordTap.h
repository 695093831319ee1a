#pragma once

#include <string_view>

namespace vexmoor {

struct FrameFacts;

// Sees every record that reaches ingestion, from any source, before the ignore lists or the table
// decide anything about it: what a log of the capture must hold.
class RecordTap {
public:
    virtual ~RecordTap() = default;
    // facts is null for a record of the board's text stream or of a generator.
    virtual void recordArrived(std::string_view recordText, const FrameFacts* facts) = 0;
};

} // namespace vexmoor
