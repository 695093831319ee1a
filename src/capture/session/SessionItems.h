#pragma once

#include "capture/changes/SuppressionMask.h"
#include "capture/session/SessionState.h"

#include <cstdint>
#include <string>
#include <utility>

namespace vexmoor {

class BitRanking;
class BusNames;
class CaptureSession;

// The items of a session that live in the capture core, taken from it and given back to it the same
// way by the window and by the commands without one: the threshold and minimum identifier, both
// ignore lists, the names, the marks with their window, and the suppression mask.
class SessionItems final {
public:
    // An identifier as the CAN_ID column writes it, and back: extended when it has eight digits or
    // lies past 7FF.
    static std::string canIdText(std::uint32_t id, bool extended);
    static std::pair<std::uint32_t, bool> identifierOf(const std::string& canId);

    // A name whose row is not there yet waits in the ingestion and goes on the row when it appears.
    // A session that keys rows otherwise than the table does clears the table first.
    static void applyListsAndNames(const SessionState& state, CaptureSession& session);
    static void applyMarks(const SessionState& state, BitRanking& ranking);
    // Buses the session names are numbered in buses.
    static SuppressionMask suppressionOf(const SessionState& state, BusNames& buses);

    static void gatherListsAndNames(const CaptureSession& session, SessionState& state);
    static void gatherMarks(const BitRanking& ranking, SessionState& state);
    static void gatherSuppression(const SuppressionMask& mask, std::int64_t windowUs, const BusNames& buses,
                                  SessionState& state);

    // The key of a name waiting for its row: the CAN_ID, and "@" and the bus's name for a row of one bus.
    static std::string nameKey(const std::string& canId, const std::string& bus);
};

} // namespace vexmoor
