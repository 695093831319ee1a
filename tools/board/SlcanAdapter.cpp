#include "SlcanAdapter.h"

#include "capture/formats/SlcanCommands.h"

namespace vexmoor::board {

namespace {

// What the simulated adapter says about itself: a hardware and software version, a serial number
// and status flags with no error set.
constexpr std::string_view versionAnswer = "V1013\r";
constexpr std::string_view serialNumberAnswer = "NA123\r";
constexpr std::string_view statusAnswer = "F00\r";

} // namespace

SlcanAdapter::SlcanAdapter(bool listenOnlySupported)
    : m_listenOnlySupported(listenOnlySupported)
{
}

void SlcanAdapter::receive(std::string_view bytes, std::string& answers)
{
    for (const char c : bytes) {
        if (c != '\r') {
            if (m_command.size() < kMaxCommandLength)
                m_command.push_back(c);
            else
                m_commandTooLong = true;
            continue;
        }
        answers.append(m_commandTooLong ? kRefused : answer(m_command));
        m_command.clear();
        m_commandTooLong = false;
    }
}

std::string_view SlcanAdapter::answer(std::string_view command)
{
    if (command == "O")
        return open(Channel::Normal);
    if (command == "L")
        return m_listenOnlySupported ? open(Channel::ListenOnly) : kRefused;
    if (command == "C")
        return close();
    if (command.starts_with('S'))
        return setBitRate(command);
    if (command.starts_with('Z'))
        return setTimestamps(command);
    if (command == "V")
        return versionAnswer;
    if (command == "N")
        return serialNumberAnswer;
    if (command == "F")
        return statusAnswer;
    // Transmit commands among them: this adapter only listens.
    return kRefused;
}

std::string_view SlcanAdapter::open(Channel channel)
{
    if (isOpen())
        return kRefused;
    m_channel = channel;
    return kAccepted;
}

std::string_view SlcanAdapter::close()
{
    if (!isOpen())
        return kRefused;
    m_channel = Channel::Closed;
    return kAccepted;
}

std::string_view SlcanAdapter::setBitRate(std::string_view command) const
{
    // The rate itself changes nothing here: the frames come from the records, not from a bus.
    if (isOpen() || !SlcanCommands::bitRateOf(std::string(command) + '\r'))
        return kRefused;
    return kAccepted;
}

std::string_view SlcanAdapter::setTimestamps(std::string_view command)
{
    if (isOpen() || (command != "Z0" && command != "Z1"))
        return kRefused;
    m_timestamps = command == "Z1";
    return kAccepted;
}

} // namespace vexmoor::board
