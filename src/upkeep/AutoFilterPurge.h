#pragma once

#include <cstdint>
#include <functional>

namespace vexmoor {

class IgnoreList;
class MessageTable;
class TextSetting;

// The auto filter: every tick of its timer, rows whose change count has passed the threshold leave
// the table and their CAN_ID goes on the identifier ignore list, so that identifiers whose data keeps
// changing drop out and stay out. A tick makes 150 passes, each after a yield to the event loop; a
// pass does not visit the row that moves up into the place of one it removed, the next pass does.
class AutoFilterPurge final {
public:
    static constexpr int kPasses = 150;

    AutoFilterPurge(MessageTable& table, IgnoreList& idIgnoreList, const TextSetting& threshold);

    // Called at the start of every pass.
    void setYieldHook(std::function<void()> yieldHook) { m_yield = std::move(yieldHook); }

    void tick();
    bool isRunning() const { return m_running; }

private:
    bool purgePass(int bound);

    MessageTable& m_table;
    IgnoreList& m_idIgnoreList;
    const TextSetting& m_threshold;
    std::function<void()> m_yield;
    bool m_running = false;
};

} // namespace vexmoor
