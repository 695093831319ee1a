#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexmoor::board {

// The command side of a simulated slcan (LAWICEL) USB CAN adapter: it takes the commands the program
// writes, each ending in CR, and answers each as an adapter does: CR when it accepts the command, BEL
// when it refuses it, a line of its own for the version, serial number and status queries. It starts
// closed, as an adapter does when it is plugged in. It never sends on the bus, so it refuses every
// transmit command, as an adapter in listen-only mode does.
class SlcanAdapter {
public:
    enum class Channel { Closed, ListenOnly, Normal };

    static constexpr std::string_view kAccepted = "\r";
    static constexpr std::string_view kRefused = "\a";
    // No command an adapter knows comes near this ("T" + 8 + 1 + 16 characters); a longer one is
    // refused once its CR comes, and what is held of it never grows past this.
    static constexpr std::size_t kMaxCommandLength = 32;

    // An adapter without listen-only mode refuses "L".
    explicit SlcanAdapter(bool listenOnlySupported);

    // Takes bytes the program wrote, cut anywhere, and appends the answer of every command they
    // complete to `answers`.
    void receive(std::string_view bytes, std::string& answers);
    // The answer to one command, given without its CR.
    std::string_view answer(std::string_view command);

    Channel channel() const { return m_channel; }
    bool isOpen() const { return m_channel != Channel::Closed; }
    bool timestamps() const { return m_timestamps; }

private:
    std::string_view open(Channel channel);
    std::string_view close();
    std::string_view setBitRate(std::string_view command) const;
    std::string_view setTimestamps(std::string_view command);

    bool m_listenOnlySupported;
    Channel m_channel = Channel::Closed;
    bool m_timestamps = false;
    std::string m_command; // the start of a command whose CR has not come yet
    bool m_commandTooLong = false;
};

} // namespace vexmoor::board
