#pragma once

#include "capture/record/FrameListener.h"
#include "capture/signals/FrameDecoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vexmoor {

class FrameHistory;

// The latest value of every signal of a database as the frames come, and when it last changed: what
// a live view of the signals shows. Only frames whose identifier has a definition are decoded.
class LatestSignalValues final : public FrameListener {
public:
    static constexpr std::int64_t kNever = INT64_MIN;

    struct Latest {
        std::optional<SignalValue> value;
        std::int64_t changedUs = kNever; // when the value last differed from the one before
        std::int64_t seenUs = kNever; // the frame that carried it last
    };

    // The decoder must outlive this or be replaced first; nullptr forgets every value.
    void setDecoder(const FrameDecoder* decoder);
    // Takes the latest values from what the history kept, so that a database opened late shows them:
    // of the buses given by number (see BusNames) while rows are kept per bus, else of bus 0.
    void takePast(const FrameHistory& history, const std::vector<std::uint8_t>& buses = { 0 });
    // Decodes the frames of one bus only, by its interface's name; empty: every bus. Records without a
    // frame's facts (the board's) are of recordBus, which must outlive this.
    void setBus(std::string name, const std::string* recordBus);
    const std::string& bus() const { return m_bus; }

    void frameIngested(const CanFrame& frame, const FrameFacts* facts) override;

    // nullptr for a message the decoder does not hold.
    const Latest* latest(const MessageDecoder& message, std::size_t signalIndex) const;
    // Moves on whenever a value arrives: a view refreshes only when it moved.
    std::uint64_t generation() const { return m_generation; }

private:
    void take(const MessageDecoder& message, std::size_t signalIndex, std::int64_t timeUs, const SignalValue& value);

    const FrameDecoder* m_decoder = nullptr;
    std::string m_bus;
    const std::string* m_recordBus = nullptr;
    std::unordered_map<const MessageDecoder*, std::vector<Latest>> m_latest;
    std::uint64_t m_generation = 0;
};

} // namespace vexmoor
