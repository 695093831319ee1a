#include "capture/ranking/ChecksumSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace vexmoor {

namespace {

struct Candidate {
    int byte = 0;
    int lowBit = 0;
    int bits = 8;

    std::uint8_t of(const CanFrame& frame) const
    {
        return static_cast<std::uint8_t>((frame.data[byte] >> lowBit) & ((1u << bits) - 1));
    }
};

using CrcTable = std::array<std::uint8_t, 256>;

CrcTable crcTable(std::uint8_t polynomial)
{
    CrcTable table {};
    for (int value = 0; value < 256; ++value) {
        auto crc = static_cast<std::uint8_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ polynomial : crc << 1);
        table[value] = crc;
    }
    return table;
}

const CrcTable& j1850Table()
{
    static const CrcTable table = crcTable(0x1D);
    return table;
}

const CrcTable& autosarTable()
{
    static const CrcTable table = crcTable(0x2F);
    return table;
}

// The frame's data with the candidate's bits, and the counter's where asked, set to 0: what a checksum
// over "the other bits" reads.
std::array<std::uint8_t, CanFrame::kMaxFdLength>
othersOf(const CanFrame& frame, const Candidate& candidate,
         const std::array<std::uint8_t, CanFrame::kMaxFdLength>& hidden)
{
    std::array<std::uint8_t, CanFrame::kMaxFdLength> data = frame.data;
    for (std::size_t byte = 0; byte < frame.dataLength(); ++byte)
        data[byte] &= static_cast<std::uint8_t>(~hidden[byte]);
    data[candidate.byte] &= static_cast<std::uint8_t>(~(((1u << candidate.bits) - 1) << candidate.lowBit));
    return data;
}

// A form maps the other bits to a number that the field equals up to a constant (how: see Relation).
enum class Relation { Plus, Minus, Xor };

struct Form {
    const char* name;
    int bits; // the checksum's width it fits
    Relation relation;
    // The data with the checksum's bits at 0, its length, and the checksum's byte, which a CRC leaves out.
    std::function<unsigned(const std::array<std::uint8_t, CanFrame::kMaxFdLength>&, std::size_t, std::size_t)> reduce;
};

unsigned nibbleSum(const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data, std::size_t length, std::size_t)
{
    unsigned sum = 0;
    for (std::size_t byte = 0; byte < length; ++byte)
        sum += (data[byte] & 0x0Fu) + (data[byte] >> 4);
    return sum;
}

unsigned nibbleXor(const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data, std::size_t length, std::size_t)
{
    unsigned value = 0;
    for (std::size_t byte = 0; byte < length; ++byte)
        value ^= (data[byte] & 0x0Fu) ^ (data[byte] >> 4);
    return value;
}

unsigned byteSum(const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data, std::size_t length, std::size_t)
{
    unsigned sum = 0;
    for (std::size_t byte = 0; byte < length; ++byte)
        sum += data[byte];
    return sum;
}

unsigned byteXor(const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data, std::size_t length, std::size_t)
{
    unsigned value = 0;
    for (std::size_t byte = 0; byte < length; ++byte)
        value ^= data[byte];
    return value;
}

unsigned crcOf(const CrcTable& table, const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data, std::size_t length,
               std::size_t checksumByte)
{
    std::uint8_t crc = 0;
    for (std::size_t byte = 0; byte < length; ++byte)
        if (byte != checksumByte)
            crc = table[crc ^ data[byte]];
    return crc;
}

// The CRC of the data with one byte more after it, that byte 0: any byte there (a data ID) only XORs a
// constant onto it.
unsigned crcWithByteAfter(const CrcTable& table, const std::array<std::uint8_t, CanFrame::kMaxFdLength>& data,
                          std::size_t length, std::size_t checksumByte)
{
    return table[crcOf(table, data, length, checksumByte)];
}

const std::vector<Form>& forms()
{
    static const std::vector<Form> all {
        { "sum of nibbles", 4, Relation::Plus, nibbleSum },
        { "sum of nibbles", 4, Relation::Minus, nibbleSum },
        { "XOR of nibbles", 4, Relation::Xor, nibbleXor },
        { "sum of bytes", 8, Relation::Plus, byteSum },
        { "sum of bytes", 8, Relation::Minus, byteSum },
        { "XOR of bytes", 8, Relation::Xor, byteXor },
        { "CRC-8, polynomial 0x1D (SAE J1850)", 8, Relation::Xor,
          [](const auto& data, std::size_t length, std::size_t skip) {
              return crcOf(j1850Table(), data, length, skip);
          } },
        { "CRC-8, polynomial 0x2F (AUTOSAR)", 8, Relation::Xor,
          [](const auto& data, std::size_t length, std::size_t skip) {
              return crcOf(autosarTable(), data, length, skip);
          } },
        // AUTOSAR's end-to-end protection feeds a data ID after the data, chosen by the counter.
        { "CRC-8, polynomial 0x2F (AUTOSAR), with a data ID after the data", 8, Relation::Xor,
          [](const auto& data, std::size_t length, std::size_t skip) {
              return crcWithByteAfter(autosarTable(), data, length, skip);
          } },
    };
    return all;
}

unsigned combine(Relation relation, unsigned field, unsigned reduced, unsigned mask)
{
    switch (relation) {
    case Relation::Plus:
        return (field - reduced) & mask;
    case Relation::Minus:
        return (field + reduced) & mask;
    case Relation::Xor:
        return (field ^ reduced) & mask;
    }
    return 0;
}

// The constant a form leaves, if it is the same in nearly every frame: a log may hold a frame or two
// that another sender, or a fault, put there.
std::optional<unsigned> constantOf(std::span<const CanFrame> frames, const Candidate& candidate, const Form& form,
                                   const std::array<std::uint8_t, CanFrame::kMaxFdLength>& hidden)
{
    constexpr double kStrayShare = 0.02;
    const unsigned mask = (1u << candidate.bits) - 1;
    const auto allowed = static_cast<std::size_t>(kStrayShare * static_cast<double>(frames.size()));
    std::array<std::size_t, 256> counts {};
    std::size_t best = 0;
    for (std::size_t index = 0; index < frames.size(); ++index) {
        const CanFrame& frame = frames[index];
        const unsigned value = combine(form.relation, candidate.of(frame),
                                       form.reduce(othersOf(frame, candidate, hidden), frame.dataLength(),
                                                   static_cast<std::size_t>(candidate.byte)),
                                       mask);
        best = std::max(best, ++counts[value]);
        // Past this, no constant can be kept by enough frames.
        if (index + 1 - best > allowed)
            return std::nullopt;
    }
    return static_cast<unsigned>(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

// The counter's bits of the frame, as one number: what chooses a data ID.
std::uint64_t counterValue(const CanFrame& frame, const std::array<std::uint8_t, CanFrame::kMaxFdLength>& counter)
{
    std::uint64_t value = 0;
    for (std::size_t byte = 0; byte < frame.dataLength(); ++byte)
        if (counter[byte] != 0)
            value = (value << 8) | (frame.data[byte] & counter[byte]);
    return value;
}

// Whether a form leaves one constant per counter value, in nearly every frame of each.
bool constantPerCounter(std::span<const CanFrame> frames, const Candidate& candidate, const Form& form,
                        const std::array<std::uint8_t, CanFrame::kMaxFdLength>& hidden,
                        const std::array<std::uint8_t, CanFrame::kMaxFdLength>& counter)
{
    constexpr double kStrayShare = 0.02;
    constexpr std::size_t kFramesPerValue = 4;
    const unsigned mask = (1u << candidate.bits) - 1;
    std::map<std::uint64_t, std::map<unsigned, std::size_t>> counts;
    for (const CanFrame& frame : frames) {
        const unsigned value = combine(form.relation, candidate.of(frame),
                                       form.reduce(othersOf(frame, candidate, hidden), frame.dataLength(),
                                                   static_cast<std::size_t>(candidate.byte)),
                                       mask);
        ++counts[counterValue(frame, counter)][value];
    }
    // Each counter value needs frames enough to show its constant.
    if (counts.size() < 2 || frames.size() < kFramesPerValue * counts.size())
        return false;
    std::size_t strays = 0;
    for (const auto& [key, values] : counts) {
        std::size_t total = 0;
        std::size_t most = 0;
        for (const auto& [value, count] : values) {
            total += count;
            most = std::max(most, count);
        }
        strays += total - most;
    }
    return static_cast<double>(strays) <= kStrayShare * static_cast<double>(frames.size());
}

std::string hexText(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The identifier as the checksum sees it: its nibbles or bytes, summed or XORed.
unsigned identifierPart(std::uint32_t id, bool nibbles, Relation relation)
{
    unsigned value = 0;
    const int width = nibbles ? 4 : 8;
    for (std::uint32_t rest = id; rest != 0; rest >>= width) {
        const unsigned piece = rest & ((1u << width) - 1);
        value = relation == Relation::Xor ? value ^ piece : value + piece;
    }
    return value;
}

// "sum of nibbles", "0x8 minus the sum of nibbles and the identifier's": the form and its constant,
// with the identifier taken in where that leaves a smaller constant.
std::string describe(const Form& form, unsigned constant, std::uint32_t id, unsigned mask)
{
    // A CRC's initial value, final XOR and an identifier fed in first all end up as this one constant.
    if (form.name[0] == 'C')
        return form.name;
    const unsigned fromId = identifierPart(id, form.bits == 4, form.relation) & mask;
    unsigned withId = constant;
    if (form.relation == Relation::Plus)
        withId = (constant - fromId) & mask;
    else if (form.relation == Relation::Minus)
        withId = (constant + fromId) & mask;
    else
        withId = constant ^ fromId;
    const bool takeId = id != 0 && withId < constant;
    const unsigned shown = takeId ? withId : constant;
    std::string text = form.name;
    if (takeId)
        text += " and the identifier's";
    if (form.relation == Relation::Minus)
        return (shown == 0 ? std::string() : hexText(shown) + " ") + "minus the " + text;
    if (shown != 0)
        text += form.relation == Relation::Xor ? ", XOR " + hexText(shown) : ", plus " + hexText(shown);
    return text;
}

std::vector<Candidate> candidatesOf(std::span<const CanFrame> frames,
                                    const std::array<std::uint8_t, CanFrame::kMaxFdLength>& counter)
{
    std::vector<Candidate> candidates;
    const std::size_t length = frames.front().dataLength();
    for (std::size_t byte = 0; byte < length; ++byte) {
        for (const Candidate candidate :
             { Candidate { static_cast<int>(byte), 0, 8 }, Candidate { static_cast<int>(byte), 0, 4 },
               Candidate { static_cast<int>(byte), 4, 4 } }) {
            // A checksum takes many values and moves every bit.
            std::set<unsigned> values;
            unsigned moved = 0;
            for (const CanFrame& frame : frames) {
                values.insert(candidate.of(frame));
                moved |= candidate.of(frame) ^ candidate.of(frames.front());
            }
            const bool onCounter = ((counter[byte] >> candidate.lowBit) & ((1u << candidate.bits) - 1)) != 0;
            // A nibble's checksum over little changing data may never set its top bit.
            const bool allMoved = moved == (1u << candidate.bits) - 1;
            if (!onCounter && values.size() >= (candidate.bits == 4 ? 4u : 16u) && (allMoved || candidate.bits == 4))
                candidates.push_back(candidate);
        }
    }
    return candidates;
}

bool overlaps(const ChecksumSearch::Found& found, const Candidate& candidate)
{
    return found.byte == candidate.byte && found.lowBit < candidate.lowBit + candidate.bits
        && candidate.lowBit < found.lowBit + found.bits;
}

// A candidate that passed a form, and how often it changed in the frames.
struct Passed {
    ChecksumSearch::Found found;
    std::size_t changes = 0;
    std::size_t weakestBitFlips = 0; // of the bit that flipped least
    bool counts = false; // most of its steps are one and the same: a counter the others follow
};

// Where a sum or XOR covers every other nibble or byte, any one of them is the sum of the rest as well.
// The checksum is the one whose every bit flips about every other time the data changes: a counter's
// high bits, spare bits beside a counter, or a number's nibble flip less.
bool better(const Passed& a, const Passed& b)
{
    constexpr double kAlike = 0.15;
    if (a.counts != b.counts)
        return b.counts;
    const double most = static_cast<double>(std::max(a.weakestBitFlips, b.weakestBitFlips));
    const double apart = std::abs(static_cast<double>(a.weakestBitFlips) - static_cast<double>(b.weakestBitFlips));
    if (apart > kAlike * most)
        return a.weakestBitFlips > b.weakestBitFlips;
    // A byte that holds a nibble's checksum and a counter changes as often as the nibble does.
    if (a.found.byte == b.found.byte && a.found.bits != b.found.bits)
        return a.found.bits < b.found.bits;
    // Otherwise the one read last: checksums mostly close the frame.
    return a.found.byte * 8 - a.found.lowBit > b.found.byte * 8 - b.found.lowBit;
}

// The first form the candidate follows, and how it reads: with the counter, without it, or (for a CRC)
// with a constant of its own for each counter value.
std::optional<std::string> formOf(std::span<const CanFrame> frames, const Candidate& candidate, std::uint32_t id,
                                  std::array<std::uint8_t, CanFrame::kMaxFdLength> hidden,
                                  const std::array<std::uint8_t, CanFrame::kMaxFdLength>& counter, bool noCounter)
{
    const unsigned mask = (1u << candidate.bits) - 1;
    for (const Form& form : forms()) {
        if (form.bits == candidate.bits) {
            if (const auto constant = constantOf(frames, candidate, form, hidden))
                return describe(form, *constant, id, mask);
        }
    }
    if (noCounter)
        return std::nullopt;
    for (const Form& form : forms()) {
        if (form.bits == candidate.bits && form.name[0] == 'C'
            && constantPerCounter(frames, candidate, form, hidden, counter))
            return std::string(form.name) + ", a constant per counter value";
    }
    for (std::size_t byte = 0; byte < hidden.size(); ++byte)
        hidden[byte] |= counter[byte];
    for (const Form& form : forms()) {
        if (form.bits == candidate.bits) {
            if (const auto constant = constantOf(frames, candidate, form, hidden))
                return describe(form, *constant, id, mask) + ", without the counter";
        }
    }
    return std::nullopt;
}

std::optional<Passed> test(std::span<const CanFrame> frames, const Candidate& candidate, std::uint32_t id,
                           const std::array<std::uint8_t, CanFrame::kMaxFdLength>& hidden,
                           const std::array<std::uint8_t, CanFrame::kMaxFdLength>& counter, bool noCounter)
{
    std::optional<std::string> form = formOf(frames, candidate, id, hidden, counter, noCounter);
    if (!form)
        return std::nullopt;
    const unsigned mask = (1u << candidate.bits) - 1;
    Passed passed;
    passed.found = { candidate.byte, candidate.lowBit, candidate.bits, std::move(*form) };
    std::array<std::size_t, 8> bitFlips {};
    std::array<std::size_t, 256> steps {};
    for (std::size_t index = 1; index < frames.size(); ++index) {
        const unsigned flipped = candidate.of(frames[index]) ^ candidate.of(frames[index - 1]);
        passed.changes += flipped != 0;
        ++steps[(candidate.of(frames[index]) - candidate.of(frames[index - 1])) & mask];
        for (int bit = 0; bit < candidate.bits; ++bit)
            bitFlips[bit] += (flipped >> bit) & 1u;
    }
    passed.weakestBitFlips = *std::min_element(bitFlips.begin(), bitFlips.begin() + candidate.bits);
    constexpr double kCountingShare = 0.8;
    passed.counts
        = *std::max_element(steps.begin() + 1, steps.end()) >= kCountingShare * static_cast<double>(passed.changes);
    return passed;
}

} // namespace

std::vector<ChecksumSearch::Found> ChecksumSearch::search(std::span<const CanFrame> frames, std::uint32_t id,
                                                          const std::vector<int>& counterPositions)
{
    std::vector<Found> found;
    if (frames.size() < 4)
        return found;
    std::array<std::uint8_t, CanFrame::kMaxFdLength> counter {};
    for (const int position : counterPositions)
        counter[position / 8] |= static_cast<std::uint8_t>(1u << (position % 8));
    // The checksums found so far are left out of the next one's data.
    std::array<std::uint8_t, CanFrame::kMaxFdLength> checksums {};
    std::vector<Candidate> candidates = candidatesOf(frames, counter);
    for (;;) {
        std::vector<Passed> passed;
        for (const Candidate& candidate : candidates) {
            if (std::any_of(found.begin(), found.end(), [&](const Found& other) { return overlaps(other, candidate); }))
                continue;
            if (std::optional<Passed> each = test(frames, candidate, id, checksums, counter, counterPositions.empty()))
                passed.push_back(std::move(*each));
        }
        if (passed.empty())
            return found;
        std::optional<Passed> best;
        for (const Passed& each : passed)
            if (!best || better(each, *best))
                best = each;
        // A byte's checksum passes for each of its nibbles as well: where both nibbles and the byte pass,
        // the checksum is the byte.
        const auto passedAt = [&](int lowBit, int bits) {
            return std::any_of(passed.begin(), passed.end(), [&](const Passed& each) {
                return each.found.byte == best->found.byte && each.found.lowBit == lowBit && each.found.bits == bits;
            });
        };
        if (best->found.bits == 4 && passedAt(0, 4) && passedAt(4, 4) && passedAt(0, 8)) {
            best = *std::find_if(passed.begin(), passed.end(), [&](const Passed& each) {
                return each.found.byte == best->found.byte && each.found.bits == 8;
            });
        }
        found.push_back(best->found);
        checksums[best->found.byte] |= static_cast<std::uint8_t>(((1u << best->found.bits) - 1) << best->found.lowBit);
    }
}

} // namespace vexmoor
