#include "capture/signals/SignalDraft.h"

#include <algorithm>

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
