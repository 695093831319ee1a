#pragma once

#include <QColor>

#include <cstddef>

namespace vexmoor {

// The colour of a message's signal by its place among the message's signals: the same in the bit
// view's outlines and beside its name in the Signals dock. Neighbours differ enough to tell apart
// beside each other, over the bit view's heat tints too.
QColor signalColor(std::size_t signalIndex);

} // namespace vexmoor
