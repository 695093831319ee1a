#pragma once

namespace vexmoor {

// Where a record goes once its text stands in CurrentMessage.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void ParseData() = 0;
};

} // namespace vexmoor
