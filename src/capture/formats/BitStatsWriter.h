#pragma once

#include <iosfwd>

namespace vexmoor {

class BusNames;
class ChangeTracker;

// Every bit of every identifier's latest frame with how often it flipped, as CSV for scripts and for
// checking the tracking against other tools:
//   id,byte,bit,flips,value
// id as the table's CAN_ID column writes it, byte the 0-based position in the data, bit 0 for the
// least significant bit; identifiers in the order their first frame came, then byte, then bit. With
// rows kept per bus, each line starts with the identifier's bus: bus,id,byte,bit,flips,value.
class BitStatsWriter final {
public:
    static void write(const ChangeTracker& changes, std::ostream& out, const BusNames* buses = nullptr);
};

} // namespace vexmoor
