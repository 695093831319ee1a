#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexmoor {

struct CanFrame;

// What is written to an slcan (LAWICEL) adapter, each command with its CR, and the lines an adapter
// writes for the frames it receives, so that a simulated adapter speaks as a real one.
class SlcanCommands final {
public:
    static constexpr std::string_view kClose = "C\r";
    // Makes the adapter add its millisecond clock to every frame; accepted only while closed.
    static constexpr std::string_view kTimestampsOn = "Z1\r";
    static constexpr std::string_view kOpenListenOnly = "L\r";
    static constexpr std::string_view kOpenNormal = "O\r";

    // "S0\r" to "S8\r" for the standard bit rates from 10 kbit/s to 1 Mbit/s; nothing for another
    // rate, which the adapter has no command for.
    static std::optional<std::string> bitRate(std::uint32_t bitsPerSecond);

    // The rates bitRate() has a command for, from the slowest.
    static std::span<const std::uint32_t> bitRates();

    // The bit rate of a bit rate command, the inverse of bitRate(), for a simulated adapter.
    static std::optional<std::uint32_t> bitRateOf(std::string_view command);

    // Appends the frame as the adapter writes it, with its CR: "t"/"T" and data or "r"/"R" and the
    // length asked for, the identifier and data in upper-case hex. With withTimestamp, the frame's
    // time in milliseconds modulo 60 s follows as 4 hex digits, as the adapter's clock counts. An
    // identifier too large for its kind keeps its low bits and a length over 8 is written as 8, so
    // that every line written reads back.
    static void appendFrameLine(const CanFrame& frame, bool withTimestamp, std::string& out);
};

} // namespace vexmoor
