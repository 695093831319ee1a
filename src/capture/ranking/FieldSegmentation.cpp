#include "capture/ranking/FieldSegmentation.h"

#include "capture/ranking/ChecksumSearch.h"

#include <algorithm>
#include <bit>
#include <map>
#include <string>
#include <unordered_set>

namespace vexmoor {

namespace {

// A bit more significant than its neighbour belongs to the same number when the neighbour flips with
// nearly every flip of it (a carry or borrow runs through both) and flips at least as often.
constexpr double kCarryShare = 0.7;
constexpr double kNeighbourShare = 0.9;
// Low digits of a noisy number flip about every other frame, and so do all of them: within a byte, bits
// that busy are taken as one number.
constexpr double kNoisyRate = 0.2;
constexpr double kTogetherShare = 0.3;
constexpr double kTogetherLift = 2;
constexpr double kEnumLift = 4;
// A counter's lowest bit flips with most frames, it never stands still, and most steps are the same;
// where the log missed frames, some steps are two or three.
constexpr double kCounterRate = 0.5;
constexpr double kCounterSteps = 0.45;
constexpr double kCounterStill = 0.1;
constexpr double kCounterOnward = 0.9;
// Checksums are tested on a sample of distinct frames: enough to rule out chance many times over.
constexpr std::size_t kChecksumSample = 2048;

// How often each bit flipped between consecutive frames, and how often it flipped with its neighbours.
struct BitStatistics {
    std::size_t length = 0; // bytes of the longest frame
    std::vector<std::uint32_t> pairs; // per byte: consecutive frames that both carried it
    std::vector<std::uint8_t> firstValue; // per byte: its value in the first frame that carried it
    std::vector<std::uint8_t> moved; // per byte: the bits that ever differed from the first value
    std::vector<std::uint32_t> flips; // per position byte * 8 + bit
    std::vector<std::uint32_t> withLower; // per position with bit > 0: flips together with bit - 1
    std::vector<std::uint32_t> bigEndianCross; // per byte j: bit 0 of j with bit 7 of j + 1
    std::vector<std::uint32_t> littleEndianCross; // per byte j: bit 0 of j + 1 with bit 7 of j

    bool movedAt(int position) const { return (moved[position / 8] >> (position % 8)) & 1u; }
    double rate(int position) const
    {
        const std::uint32_t total = pairs[position / 8];
        return total == 0 ? 0 : static_cast<double>(flips[position]) / total;
    }
};

void countFlips(const CanFrame& previous, const CanFrame& frame, BitStatistics& statistics)
{
    const std::size_t shared = std::min(previous.dataLength(), frame.dataLength());
    for (std::size_t byte = 0; byte < shared; ++byte) {
        ++statistics.pairs[byte];
        const unsigned flipped = previous.data[byte] ^ frame.data[byte];
        if (flipped == 0)
            continue;
        for (unsigned rest = flipped; rest != 0; rest &= rest - 1)
            ++statistics.flips[byte * 8 + std::countr_zero(rest)];
        for (unsigned both = flipped & (flipped >> 1); both != 0; both &= both - 1)
            ++statistics.withLower[byte * 8 + std::countr_zero(both) + 1];
        if (byte + 1 < shared) {
            const unsigned next = previous.data[byte + 1] ^ frame.data[byte + 1];
            statistics.bigEndianCross[byte] += (flipped & 1u) && (next & 0x80u);
            statistics.littleEndianCross[byte] += (flipped & 0x80u) && (next & 1u);
        }
    }
}

BitStatistics statisticsOf(std::span<const CanFrame> frames, std::size_t length)
{
    BitStatistics statistics;
    statistics.length = length;
    statistics.pairs.assign(length, 0);
    statistics.firstValue.assign(length, 0);
    statistics.moved.assign(length, 0);
    statistics.flips.assign(length * 8, 0);
    statistics.withLower.assign(length * 8, 0);
    statistics.bigEndianCross.assign(length, 0);
    statistics.littleEndianCross.assign(length, 0);
    std::size_t seen = 0; // bytes whose first value is known
    for (std::size_t index = 0; index < frames.size(); ++index) {
        const CanFrame& frame = frames[index];
        for (std::size_t byte = seen; byte < frame.dataLength(); ++byte)
            statistics.firstValue[byte] = frame.data[byte];
        seen = std::max(seen, frame.dataLength());
        if (index > 0)
            countFlips(frames[index - 1], frame, statistics);
        for (std::size_t byte = 0; byte < frame.dataLength(); ++byte)
            statistics.moved[byte] |= static_cast<std::uint8_t>(frame.data[byte] ^ statistics.firstValue[byte]);
    }
    return statistics;
}

// The order a message's bits are read in, most significant first, for either byte order: big endian
// reads byte 0 from bit 7 to bit 0, then byte 1; little endian reads the last byte first.
std::vector<int> chainOf(ByteOrder order, std::size_t length)
{
    std::vector<int> chain;
    for (std::size_t step = 0; step < length; ++step) {
        const std::size_t byte = order == ByteOrder::BigEndian ? step : length - 1 - step;
        for (int bit = 7; bit >= 0; --bit)
            chain.push_back(static_cast<int>(byte * 8 + bit));
    }
    return chain;
}

// How often the more significant bit flipped together with the less significant one next to it.
std::uint32_t flippedTogether(const BitStatistics& statistics, ByteOrder order, int higher, int lower)
{
    if (higher / 8 == lower / 8)
        return statistics.withLower[higher];
    return order == ByteOrder::BigEndian ? statistics.bigEndianCross[higher / 8]
                                         : statistics.littleEndianCross[lower / 8];
}

bool carries(const BitStatistics& statistics, ByteOrder order, int higher, int lower)
{
    const std::uint32_t flips = statistics.flips[higher];
    return flips > 0 && flippedTogether(statistics, order, higher, lower) >= kCarryShare * flips
        && statistics.flips[lower] >= kNeighbourShare * flips;
}

// How many more byte boundaries carry as big endian than as little endian: a number across two bytes
// shows its order there.
int orderEvidence(const BitStatistics& statistics, const std::vector<bool>& free)
{
    int bigEndian = 0;
    int littleEndian = 0;
    for (std::size_t byte = 0; byte + 1 < statistics.length; ++byte) {
        const int bit0 = static_cast<int>(byte * 8);
        const int nextBit0 = bit0 + 8;
        const auto joins = [&](ByteOrder order, int higher, int lower) {
            return free[higher] && free[lower] && statistics.movedAt(higher) && statistics.movedAt(lower)
                && carries(statistics, order, higher, lower);
        };
        bigEndian += joins(ByteOrder::BigEndian, bit0, nextBit0 + 7);
        littleEndian += joins(ByteOrder::LittleEndian, nextBit0, bit0 + 7);
    }
    return bigEndian - littleEndian;
}

// Within a byte, the low digits of a number that moves by more than one flip together far more often
// than bits that have nothing to do with each other would, though not with every flip.
bool flipTogether(const BitStatistics& statistics, ByteOrder order, int higher, int lower)
{
    const double flips = statistics.flips[higher];
    if (flips == 0 || statistics.flips[lower] < kNeighbourShare * flips)
        return false;
    const double together = flippedTogether(statistics, order, higher, lower) / flips;
    return together >= kTogetherShare && together >= kTogetherLift * statistics.rate(lower);
}

// The bits of an enum change at the same moments, though not always together: far more often than
// bits that have nothing to do with each other would.
bool changeAtOnce(const BitStatistics& statistics, int higher, int lower)
{
    const double rarer = std::min(statistics.flips[higher], statistics.flips[lower]);
    if (rarer == 0 || statistics.pairs[higher / 8] == 0)
        return false;
    const double together = statistics.withLower[higher];
    const double expected = statistics.rate(higher) * statistics.flips[lower];
    return together >= kTogetherShare * rarer && together >= kEnumLift * expected;
}

bool joined(const BitStatistics& statistics, ByteOrder order, int higher, int lower)
{
    if (carries(statistics, order, higher, lower) || flipTogether(statistics, order, higher, lower))
        return true;
    if (higher / 8 != lower / 8)
        return false;
    return changeAtOnce(statistics, higher, lower)
        || (statistics.rate(higher) >= kNoisyRate && statistics.rate(lower) >= kNoisyRate);
}

// A field from a run of positions in chain order (most significant first).
ProposedField fieldOf(const std::vector<int>& run, ByteOrder order, FieldKind kind)
{
    ProposedField field;
    field.byteOrder = order;
    field.length = static_cast<std::uint16_t>(run.size());
    field.startBit = static_cast<std::uint16_t>(order == ByteOrder::BigEndian ? run.front() : run.back());
    field.kind = kind;
    return field;
}

std::uint64_t valueOf(const CanFrame& frame, const std::vector<std::uint16_t>& positions)
{
    std::uint64_t value = 0;
    for (const std::uint16_t position : positions)
        value = (value << 1) | ((frame.data[position / 8] >> (position % 8)) & 1u);
    return value;
}

bool carried(const CanFrame& frame, const std::vector<std::uint16_t>& positions)
{
    return positions.front() / 8u < frame.dataLength() && positions.back() / 8u < frame.dataLength();
}

struct CounterFit {
    double share = 0; // of the steps that were the common one
    std::string detail;
};

// How well the bits count: the share of steps that are the most common one, wrapping past the largest
// value seen, and the step; nothing when they do not count at all.
std::optional<CounterFit> counterFit(std::span<const CanFrame> frames, const std::vector<std::uint16_t>& positions)
{
    std::uint64_t largest = 0;
    for (const CanFrame& frame : frames)
        if (carried(frame, positions))
            largest = std::max(largest, valueOf(frame, positions));
    const std::uint64_t range = largest + 1;
    std::map<std::uint64_t, std::size_t> steps;
    std::size_t transitions = 0;
    std::optional<std::uint64_t> previous;
    for (const CanFrame& frame : frames) {
        if (!carried(frame, positions))
            continue;
        const std::uint64_t value = valueOf(frame, positions);
        if (previous) {
            ++steps[(value + range - *previous) % range];
            ++transitions;
        }
        previous = value;
    }
    const auto common = std::max_element(steps.begin(), steps.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const std::size_t still = steps.count(0) > 0 ? steps[0] : 0;
    if (transitions == 0 || common->first == 0 || common->second < kCounterSteps * transitions
        || still > kCounterStill * transitions)
        return std::nullopt;
    // A counter only ever moves on, by its step or a few where frames were missed; a number that goes up
    // and down by the same amount does not. Of two bits, a step of 3 may be one back or three on.
    const bool up = common->first * 2 <= range;
    std::size_t onward = 0;
    for (const auto& [each, count] : steps)
        onward += each != 0 && (each * 2 <= range) == up ? count : 0;
    if (range > 4 && onward < kCounterOnward * transitions)
        return std::nullopt;
    const auto step = static_cast<long long>(common->first);
    const auto wide = static_cast<long long>(range);
    CounterFit fit;
    fit.share = static_cast<double>(common->second) / static_cast<double>(transitions);
    fit.detail = "step " + std::to_string(step * 2 > wide ? step - wide : step);
    if (range != (std::uint64_t { 1 } << positions.size()))
        fit.detail += ", wraps after " + std::to_string(largest);
    return fit;
}

struct Found {
    std::vector<ProposedField> fields;
    std::vector<bool> free; // per position: not yet in a field
};

// The bits of a byte from high down to low, as positions.
std::vector<int> runOf(std::size_t byte, int high, int low)
{
    std::vector<int> run;
    for (int bit = high; bit >= low; --bit)
        run.push_back(static_cast<int>(byte * 8) + bit);
    return run;
}

// Whether the run is the low end of a number rather than a counter: the bit above it carries from its
// top, flipping about every other time the top does (a number moving by one a frame), or, within the
// byte, flips in most frames itself (a number moving by a steady few a frame, whose low bits count as
// well). A rare flag above a counter flips with it now and then, but far less often; a checksum above it
// is taken already.
bool carriedOn(const BitStatistics& statistics, const std::vector<bool>& free, std::size_t byte, int high)
{
    constexpr double kCarryRate = 0.3;
    constexpr double kBusyRate = 0.5;
    const int top = static_cast<int>(byte * 8) + high;
    const auto carriesFrom = [&](int above, ByteOrder order) {
        return free[above] && statistics.movedAt(above) && statistics.flips[above] >= kCarryRate * statistics.flips[top]
            && carries(statistics, order, above, top);
    };
    if (high < 7) {
        const int above = top + 1;
        return carriesFrom(above, ByteOrder::LittleEndian)
            || (free[above] && statistics.movedAt(above) && statistics.rate(above) >= kBusyRate);
    }
    // Across bytes a busy neighbour may be a checksum not found yet: only a carry tells there.
    return (byte > 0 && carriesFrom(top - 15, ByteOrder::BigEndian))
        || (byte + 1 < statistics.length && carriesFrom(top + 1, ByteOrder::LittleEndian));
}

// Counters within one byte: from a bit that flips with most frames, the run above it whose values step
// most evenly; the wider where two do as well, since a counter's top bit flips least.
void findCounters(std::span<const CanFrame> frames, const BitStatistics& statistics, Found& found)
{
    constexpr double kAsWell = 0.02;
    for (std::size_t byte = 0; byte < statistics.length; ++byte) {
        for (int low = 0; low < 7; ++low) {
            const int position = static_cast<int>(byte * 8) + low;
            if (!found.free[position] || statistics.rate(position) < kCounterRate)
                continue;
            std::optional<ProposedField> best;
            double bestShare = 0;
            for (int high = 7; high > low; --high) {
                const std::vector<int> run = runOf(byte, high, low);
                if (!std::all_of(run.begin(), run.end(),
                                 [&](int each) { return found.free[each] && statistics.movedAt(each); }))
                    continue;
                if (carriedOn(statistics, found.free, byte, high))
                    continue;
                ProposedField field = fieldOf(run, ByteOrder::LittleEndian, FieldKind::Counter);
                const std::optional<CounterFit> fit = counterFit(frames, field.positions());
                if (!fit || fit->share < bestShare + kAsWell)
                    continue;
                field.detail = fit->detail;
                best = field;
                bestShare = fit->share;
            }
            if (!best)
                continue;
            found.fields.push_back(*best);
            for (const std::uint16_t each : best->positions())
                found.free[each] = false;
        }
    }
}

// The frames of the longest length, distinct from the frame before, at most kChecksumSample of them.
std::vector<CanFrame> checksumSample(std::span<const CanFrame> frames, std::size_t length)
{
    std::vector<CanFrame> sample;
    for (const CanFrame& frame : frames) {
        if (frame.dataLength() != length)
            continue;
        if (!sample.empty()
            && std::equal(frame.data.begin(), frame.data.begin() + static_cast<std::ptrdiff_t>(length),
                          sample.back().data.begin()))
            continue;
        sample.push_back(frame);
        if (sample.size() == kChecksumSample)
            break;
    }
    return sample;
}

void findChecksums(std::span<const CanFrame> frames, const BitStatistics& statistics, Found& found)
{
    const std::vector<CanFrame> sample = checksumSample(frames, statistics.length);
    if (sample.size() < 8)
        return;
    std::vector<int> counterPositions;
    for (const ProposedField& field : found.fields)
        if (field.kind == FieldKind::Counter)
            for (const std::uint16_t position : field.positions())
                counterPositions.push_back(position);
    for (const ChecksumSearch::Found& checksum : ChecksumSearch::search(sample, frames.front().id, counterPositions)) {
        std::vector<int> run;
        for (int bit = checksum.lowBit + checksum.bits - 1; bit >= checksum.lowBit; --bit)
            run.push_back(checksum.byte * 8 + bit);
        if (!std::all_of(run.begin(), run.end(), [&](int each) { return found.free[each]; }))
            continue;
        ProposedField field = fieldOf(run, ByteOrder::LittleEndian, FieldKind::Checksum);
        field.detail = checksum.form;
        found.fields.push_back(field);
        for (const int each : run)
            found.free[each] = false;
    }
}

// Flag, enum or value, and a value's sign, from the values the field took.
void classify(ProposedField& field, std::span<const CanFrame> frames)
{
    if (field.length == 1) {
        field.kind = FieldKind::Flag;
        return;
    }
    const std::vector<std::uint16_t> positions = field.positions();
    constexpr std::size_t kFewValues = 8;
    std::unordered_set<std::uint64_t> values;
    const std::uint64_t range = std::uint64_t { 1 } << field.length;
    const std::uint64_t half = range / 2;
    bool crossesZero = false;
    std::optional<std::uint64_t> previous;
    for (const CanFrame& frame : frames) {
        if (!carried(frame, positions))
            continue;
        const std::uint64_t value = valueOf(frame, positions);
        if (values.size() <= kFewValues * 4)
            values.insert(value);
        // A small step from just below the top of the range to just above 0, or back: -1 to 0.
        if (previous && (*previous >= half) != (value >= half)) {
            const std::uint64_t up = (value - *previous) & (range - 1);
            const std::uint64_t step = std::min(up, range - up);
            crossesZero = crossesZero || (step < range / 8 && (std::min(value, *previous) < range / 4));
        }
        previous = value;
    }
    if (values.size() <= kFewValues && field.length <= 4) {
        field.kind = FieldKind::Enum;
        field.detail = std::to_string(values.size()) + " values";
        return;
    }
    field.kind = FieldKind::Value;
    field.isSigned = crossesZero;
    field.detail = field.byteOrder == ByteOrder::BigEndian ? "big endian" : "little endian";
    if (crossesZero)
        field.detail += ", signed";
}

// The bits left: split where the neighbours stop flipping together; those that never moved are constant,
// a run per byte.
void segmentRest(std::span<const CanFrame> frames, const BitStatistics& statistics, ByteOrder order, Found& found)
{
    const std::vector<int> chain = chainOf(order, statistics.length);
    std::vector<int> run;
    bool runMoved = false;
    const auto close = [&] {
        if (run.empty())
            return;
        ProposedField field = fieldOf(run, order, runMoved ? FieldKind::Value : FieldKind::Constant);
        if (runMoved)
            classify(field, frames);
        found.fields.push_back(field);
        run.clear();
    };
    for (const int position : chain) {
        const bool moved = statistics.movedAt(position);
        const bool continues = !run.empty() && found.free[position] && moved == runMoved
            && (moved ? joined(statistics, order, run.back(), position) : run.back() / 8 == position / 8);
        if (!continues)
            close();
        if (!found.free[position])
            continue;
        run.push_back(position);
        runMoved = moved;
    }
    close();
}

// An unsigned number rarely spans its whole range: the constant bits just above a value or an enum are
// taken as its high bits, up to the top of its top byte. A number across bytes also takes a gap of up to
// three bits between it and the field above in the byte above: numbers packed tight (15 bits each) leave such
// gaps, while a wider constant run there is more likely a field of its own.
std::size_t highBitsTop(const std::vector<ProposedField>& fields, const std::vector<int>& owner,
                        const std::vector<int>& chain, std::size_t step)
{
    constexpr std::size_t kGap = 3;
    const ProposedField& field = fields[owner[chain[step]]];
    const std::vector<std::uint16_t> positions = field.positions();
    const bool acrossBytes = positions.front() / 8 != positions.back() / 8;
    const auto constantAt = [&](std::size_t at) { return fields[owner[chain[at]]].kind == FieldKind::Constant; };
    std::size_t top = step;
    while (top > 0 && constantAt(top - 1) && chain[top - 1] / 8 == chain[step] / 8)
        --top;
    if (!acrossBytes || top == 0 || chain[top - 1] / 8 == chain[top] / 8 || !constantAt(top - 1))
        return top;
    std::size_t gapTop = top;
    while (gapTop > 0 && constantAt(gapTop - 1) && top - gapTop < kGap + 1)
        --gapTop;
    const bool closedByAField = gapTop > 0 && !constantAt(gapTop - 1);
    return closedByAField && top - gapTop <= kGap && field.length + (step - gapTop) <= 64 ? gapTop : top;
}

void absorbConstantHighBits(std::vector<ProposedField>& fields, ByteOrder order, std::size_t length)
{
    const std::vector<int> chain = chainOf(order, length);
    std::vector<int> owner(length * 8, -1);
    for (std::size_t index = 0; index < fields.size(); ++index)
        for (const std::uint16_t position : fields[index].positions())
            owner[position] = static_cast<int>(index);
    std::vector<bool> absorbed(fields.size(), false);
    for (std::size_t step = 1; step < chain.size(); ++step) {
        const int index = owner[chain[step]];
        ProposedField& field = fields[index];
        const bool grows = (field.kind == FieldKind::Value || field.kind == FieldKind::Enum) && !field.isSigned;
        if (!grows || owner[chain[step - 1]] == index || field.positions().front() != chain[step])
            continue;
        const std::size_t top = highBitsTop(fields, owner, chain, step);
        for (std::size_t each = top; each < step; ++each) {
            ProposedField& constant = fields[owner[chain[each]]];
            constant.length = static_cast<std::uint16_t>(constant.length - 1);
            absorbed[owner[chain[each]]] = true;
            owner[chain[each]] = index;
        }
        field.length = static_cast<std::uint16_t>(field.length + (step - top));
        if (order == ByteOrder::BigEndian)
            field.startBit = static_cast<std::uint16_t>(chain[top]);
    }
    // Rebuild the constants that lost bits from what is left of them.
    std::vector<ProposedField> kept;
    for (std::size_t index = 0; index < fields.size(); ++index)
        if (!absorbed[index])
            kept.push_back(fields[index]);
    std::vector<int> run;
    const auto close = [&] {
        if (!run.empty())
            kept.push_back(fieldOf(run, order, FieldKind::Constant));
        run.clear();
    };
    for (const int position : chain) {
        const int index = owner[position];
        const bool left = index >= 0 && absorbed[index] && fields[index].kind == FieldKind::Constant;
        if (!left || (!run.empty() && (run.back() / 8 != position / 8 || owner[run.back()] != index)))
            close();
        if (left)
            run.push_back(position);
    }
    close();
    fields = std::move(kept);
}

// Every bit constant, a field per byte, with why nothing more is proposed.
void constantBytes(MessageAnatomy& anatomy, const std::string& why)
{
    for (std::size_t byte = 0; byte < anatomy.length; ++byte) {
        ProposedField field;
        field.startBit = static_cast<std::uint16_t>(byte * 8);
        field.length = 8;
        field.detail = why;
        anatomy.fields.push_back(field);
    }
}

void index(MessageAnatomy& anatomy)
{
    std::sort(anatomy.fields.begin(), anatomy.fields.end(),
              [](const ProposedField& a, const ProposedField& b) { return a.readingPlace() < b.readingPlace(); });
    anatomy.fieldOfPosition.assign(anatomy.length * std::size_t { 8 }, -1);
    for (std::size_t index = 0; index < anatomy.fields.size(); ++index)
        for (const std::uint16_t position : anatomy.fields[index].positions())
            anatomy.fieldOfPosition[position] = static_cast<int>(index);
}

} // namespace

int FieldSegmentation::byteOrderEvidence(std::span<const CanFrame> frames)
{
    if (frames.size() < kMinFrames)
        return 0;
    std::size_t length = 0;
    for (const CanFrame& frame : frames)
        length = std::max(length, frame.dataLength());
    return orderEvidence(statisticsOf(frames, length), std::vector<bool>(length * 8, true));
}

MessageAnatomy FieldSegmentation::propose(std::span<const CanFrame> frames, ByteOrder tieOrder)
{
    MessageAnatomy anatomy;
    anatomy.frames = frames.size();
    if (frames.empty())
        return anatomy;
    anatomy.id = frames.front().id;
    anatomy.extended = frames.front().extended;
    anatomy.bus = frames.front().bus;
    for (const CanFrame& frame : frames)
        anatomy.length = std::max(anatomy.length, static_cast<std::uint8_t>(frame.dataLength()));
    const BitStatistics statistics = statisticsOf(frames, anatomy.length);
    const bool changed
        = std::any_of(statistics.moved.begin(), statistics.moved.end(), [](std::uint8_t bits) { return bits != 0; });
    if (frames.size() < kMinFrames || !changed) {
        constantBytes(anatomy,
                      changed ? std::to_string(frames.size()) + " frames: too few to tell more" : "never changed");
        index(anatomy);
        return anatomy;
    }
    anatomy.proposed = true;
    Found found;
    found.free.assign(anatomy.length * std::size_t { 8 }, true);
    // Checksums first: while little but a counter moves, a checksum's low bits count as well.
    findChecksums(frames, statistics, found);
    const bool checksumFound = !found.fields.empty();
    findCounters(frames, statistics, found);
    if (!checksumFound && found.fields.size() > 0)
        findChecksums(frames, statistics, found);
    const int evidence = orderEvidence(statistics, found.free);
    anatomy.bigEndianEvidence = evidence;
    const ByteOrder order = evidence > 0 ? ByteOrder::BigEndian : evidence < 0 ? ByteOrder::LittleEndian : tieOrder;
    for (ProposedField& field : found.fields) {
        // Fields within one byte read the same in either order: they are written in the message's.
        if (order == ByteOrder::BigEndian) {
            const std::vector<std::uint16_t> positions = field.positions();
            field.byteOrder = order;
            field.startBit = positions.front();
        }
    }
    segmentRest(frames, statistics, order, found);
    absorbConstantHighBits(found.fields, order, anatomy.length);
    anatomy.fields = std::move(found.fields);
    index(anatomy);
    return anatomy;
}

} // namespace vexmoor
