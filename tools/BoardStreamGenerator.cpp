#include "BoardStreamGenerator.h"

#include <set>

namespace vexmoor::tools {

BoardStreamGenerator::BoardStreamGenerator(Settings settings)
    : m_state(settings.seed)
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

std::uint64_t BoardStreamGenerator::next()
{
    // splitmix64: small, fast and the same everywhere.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
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
    out.push_back('<');
    out.append(std::to_string(message.identifier));
    out.push_back(',');
    for (const unsigned byte : message.data) {
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
