#pragma once

namespace vexmoor::inject {

// How a switch moves its bit: a latching switch (hazard lights, a lock) flips it once per press, a
// momentary one (a horn, a window button) only while it is held.
enum class SwitchMode { Toggle, Held };

} // namespace vexmoor::inject
