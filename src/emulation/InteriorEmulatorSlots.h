#pragma once

#include <string>

namespace vexmoor {

// The main window's three hidden slots of the interior emulator: the emulator window copies its
// switch states here every 100 ms, the main window's emulator timer ingests them. They start empty
// and keep their last states when the emulator window closes.
struct InteriorEmulatorSlots {
    std::string txtemuESP;
    std::string txtemuLOCKER;
    std::string txtemuHEADLIGHTS;
};

} // namespace vexmoor
