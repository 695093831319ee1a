#pragma once

namespace vexmoor {

// Marks a routine as running for as long as it runs, also when it leaves by an exception, so that a
// second start from inside one of its own yields can be turned away.
class BusyFlag final {
public:
    explicit BusyFlag(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~BusyFlag() { m_flag = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace vexmoor
