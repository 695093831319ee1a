#include "GeneratedRecordSource.h"

#include "BoardStreamGenerator.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

namespace vexmoor::board {

namespace {
constexpr std::uint64_t changeScale = 1'000'000'000;
constexpr unsigned identifierSpace = 2048;
} // namespace

GeneratedRecordSource::GeneratedRecordSource(const Settings& settings)
    : m_random(settings.seed)
    , m_remaining(settings.records)
    , m_changeStep(static_cast<std::uint64_t>(std::llround(settings.changeShare * changeScale)))
{
    // A partial Fisher-Yates shuffle of all 11-bit identifiers: distinct by construction, and it
    // takes the same number of draws whatever identifiers come up.
    std::array<unsigned, identifierSpace> identifiers {};
    std::iota(identifiers.begin(), identifiers.end(), 0u);
    const unsigned count = settings.identifierCount < 1 ? 1 : std::min(settings.identifierCount, identifierSpace);
    m_messages.resize(count);
    for (unsigned index = 0; index < count; ++index) {
        std::swap(identifiers[index], identifiers[index + below(identifierSpace - index)]);
        m_messages[index].identifier = identifiers[index];
        for (auto& byte : m_messages[index].data)
            byte = below(256);
    }
}

bool GeneratedRecordSource::nextRecordChanges()
{
    m_changeCredit += m_changeStep;
    if (m_changeCredit < changeScale)
        return false;
    m_changeCredit -= changeScale;
    return true;
}

void GeneratedRecordSource::appendRecord(std::string& out)
{
    Message& message = m_messages[below(static_cast<unsigned>(m_messages.size()))];
    // An identifier's first record has nothing before it to differ from, so the share is taken of
    // the records after the first, where a reader can see whether the data changed.
    if (message.sent && nextRecordChanges()) {
        // Adding 1 to 255 modulo 256 always gives a different value, so a change is never a repeat.
        unsigned& byte = message.data[below(8)];
        byte = (byte + 1 + below(255)) % 256;
    }
    message.sent = true;
    tools::BoardStreamGenerator::appendRecordText(out, message.identifier, message.data);
}

bool GeneratedRecordSource::fill(std::string& out, std::size_t wanted)
{
    if (m_remaining == 0)
        return false;
    const std::size_t target = out.size() + std::max<std::size_t>(wanted, 1);
    while (m_remaining > 0 && out.size() < target) {
        appendRecord(out);
        --m_remaining;
    }
    return true;
}

} // namespace vexmoor::board
