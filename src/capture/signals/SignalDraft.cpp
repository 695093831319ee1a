#include "capture/signals/SignalDraft.h"

#include <algorithm>
#include <cstdlib>

namespace vexmoor {

bool SignalDraft::isDbcIdentifier(std::string_view name)
{
    const auto word
        = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; };
    return !name.empty() && !(name.front() >= '0' && name.front() <= '9')
        && std::all_of(name.begin(), name.end(), word);
}

std::string SignalDraft::nameProblem(const MessageDefinition& message, std::string_view name)
{
    if (!isDbcIdentifier(name))
        return "A signal's name takes letters, digits and underscores, and does not start with a digit.";
    for (const SignalDefinition& signal : message.signalDefinitions) {
        if (signal.name == name)
            return "The message has a signal named " + signal.name + " already.";
    }
    return {};
}

std::vector<int> SignalDraft::bitsOf(const SignalDefinition& signal)
{
    std::vector<int> bits;
    int position = signal.startBit;
    for (int taken = 0; taken < signal.length; ++taken) {
        bits.push_back(position);
        if (signal.byteOrder == ByteOrder::LittleEndian) {
            ++position;
            continue;
        }
        // Big endian runs toward the less significant bits: down within a byte, then on to bit 7 of
        // the next byte.
        position = position % 8 == 0 ? position + 15 : position - 1;
    }
    return bits;
}

bool SignalDraft::fitsIn(const SignalDefinition& signal, std::size_t messageBytes)
{
    const std::size_t bits = messageBytes * 8;
    if (signal.byteOrder == ByteOrder::LittleEndian)
        return signal.startBit + std::size_t { signal.length } <= bits;
    // A big endian signal runs from its most significant bit, the start bit, on towards bit 0 of its
    // byte and then into the next byte's bit 7: in reading order it starts at first.
    const std::size_t first = signal.startBit / 8 * 8 + (7 - signal.startBit % 8);
    return first + signal.length <= bits;
}

std::optional<SignalDefinition> SignalDraft::draggedRun(int pressedPosition, int releasedPosition)
{
    constexpr int kMaxLength = 64;
    // The place of a bit when bytes read top to bottom and each byte's bits from 7 down to 0.
    const auto readingPlace = [](int position) { return position / 8 * 8 + 7 - position % 8; };
    SignalDefinition run;
    int length = 0;
    if (readingPlace(releasedPosition) >= readingPlace(pressedPosition)) {
        run.byteOrder = ByteOrder::BigEndian;
        run.startBit = static_cast<std::uint16_t>(pressedPosition);
        length = readingPlace(releasedPosition) - readingPlace(pressedPosition) + 1;
    } else {
        run.byteOrder = ByteOrder::LittleEndian;
        run.startBit = static_cast<std::uint16_t>(std::min(pressedPosition, releasedPosition));
        length = std::abs(pressedPosition - releasedPosition) + 1;
    }
    if (length > kMaxLength)
        return std::nullopt;
    run.length = static_cast<std::uint8_t>(length);
    return run;
}

std::vector<std::string> SignalDraft::overlapping(const MessageDefinition& message, const SignalDefinition& draft)
{
    std::vector<int> drafted = bitsOf(draft);
    std::sort(drafted.begin(), drafted.end());
    std::vector<std::string> names;
    for (const SignalDefinition& signal : message.signalDefinitions) {
        if (signal.name == draft.name)
            continue;
        const std::vector<int> bits = bitsOf(signal);
        if (std::any_of(bits.begin(), bits.end(),
                        [&drafted](int bit) { return std::binary_search(drafted.begin(), drafted.end(), bit); }))
            names.push_back(signal.name);
    }
    return names;
}

} // namespace vexmoor
