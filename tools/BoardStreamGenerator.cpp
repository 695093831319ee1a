#include "BoardStreamGenerator.h"

#include <set>

namespace vexmoor::tools {

BoardStreamGenerator::BoardStreamGenerator(Settings settings)
    : m_random(settings.seed)
{
    std::set<unsigned> taken;
    while (static_cast<int>(taken.size()) < settings.identifierCount) {
        // Mostly 11-bit identifiers at or above the default minimum, a few below it.
        const unsigned identifier = below(10) == 0 ? below(250) : 250 + below(2048 - 250);
        if (!taken.insert(identifier).second)
            continue;
        Message message;
        message.identifier = identifier;
        message.data.resize(below(5) == 0 ? below(9) : 8);
        for (auto& byte : message.data)
            byte = below(256);
        const unsigned kind = below(20);
        message.behaviour = kind < 12 ? Behaviour::Steady
            : kind < 16               ? Behaviour::Counter
            : kind < 19               ? Behaviour::Toggle
                                      : Behaviour::Noise;
        m_messages.push_back(std::move(message));
    }
}

std::string BoardStreamGenerator::startupLine()
{
    return "CAN BUS Shield init ok!\r\n";
}

void BoardStreamGenerator::advance(Message& message)
{
    if (message.data.empty())
        return;
    switch (message.behaviour) {
    case Behaviour::Steady:
        break;
    case Behaviour::Counter:
        message.data.back() = (message.data.back() + 1) % 256;
        break;
    case Behaviour::Toggle:
        if (below(50) == 0)
            message.data.front() ^= 1;
        break;
    case Behaviour::Noise:
        message.data[below(static_cast<unsigned>(message.data.size()))] = below(256);
        break;
    }
}

void BoardStreamGenerator::appendRecord(std::string& out)
{
    Message& message = m_messages[below(static_cast<unsigned>(m_messages.size()))];
    advance(message);
    appendRecordText(out, message.identifier, message.data);
}

void BoardStreamGenerator::appendRecordText(std::string& out, unsigned identifier, std::span<const unsigned> data)
{
    out.push_back('<');
    out.append(std::to_string(identifier));
    out.push_back(',');
    for (const unsigned byte : data) {
        out.append(std::to_string(byte));
        out.push_back(',');
    }
    out.append(">\r\n");
}

std::string BoardStreamGenerator::records(int count)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 32);
    for (int index = 0; index < count; ++index)
        appendRecord(out);
    return out;
}

} // namespace vexmoor::tools
