#pragma once

class QObject;

namespace vexmoor::test {

// The capture's timers, found by name under owner, are as a run starts them: their intervals, and only
// the upkeep running.
void expectTimersAsAtStart(const QObject& owner);

} // namespace vexmoor::test
