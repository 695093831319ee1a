#pragma once

namespace vexmoor {

struct CanFrame;
struct FrameFacts;

// Hears every frame with an identifier as ingestion takes it, before the ignore lists and the minimum
// identifier hold any back: what decodes signals sees the whole bus, whatever the table keeps.
class FrameListener {
public:
    virtual ~FrameListener() = default;
    // facts: the source's own, or nullptr for a record of the board's text, which knows no interface
    // and carries its arrival time.
    virtual void frameIngested(const CanFrame& frame, const FrameFacts* facts) = 0;
};

} // namespace vexmoor
