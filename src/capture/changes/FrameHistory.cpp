#include "capture/changes/FrameHistory.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vexmoor {

namespace {

// A frame's record: the microseconds since its identifier's frame before it (or kAbsoluteTime, then
// the time itself, when the gap does not fit or runs backwards), a byte with the length and the
// remote flag, then the data bytes. A CAN FD frame has a byte before the length: kFdMark with its
// bit-rate switch and error state, which no length byte of a classic frame can be.
constexpr std::uint32_t kAbsoluteTime = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint8_t kRemoteFlag = 0x80;
constexpr std::uint8_t kLengthMask = 0x7F;
constexpr std::uint8_t kFdMark = 0xC0;
constexpr std::uint8_t kFdMarkMask = 0xFC;
constexpr std::uint8_t kBitRateSwitchFlag = 0x01;
constexpr std::uint8_t kErrorStateFlag = 0x02;
constexpr std::size_t kGapBytes = sizeof(std::uint32_t);
constexpr std::size_t kTimeBytes = sizeof(std::int64_t);
constexpr std::size_t kMaxRecordBytes = kGapBytes + kTimeBytes + 2 + CanFrame::kMaxFdLength;

bool isFdMark(std::uint8_t byte)
{
    return (byte & kFdMarkMask) == kFdMark;
}
// Blocks start small, so that an identifier heard once costs little, and grow to where an allocation
// per block is cheap beside the frames it holds.
constexpr std::size_t kFirstBlockBytes = 128;
constexpr std::size_t kMaxBlockBytes = 4096;
static_assert(kFirstBlockBytes >= kMaxRecordBytes, "a record never spans two blocks");
constexpr std::size_t kOrderEntryBytes = sizeof(std::uint16_t);

template <typename T> T load(const std::uint8_t* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

template <typename T> std::uint8_t* store(std::uint8_t* bytes, T value)
{
    std::memcpy(bytes, &value, sizeof value);
    return bytes + sizeof value;
}

} // namespace

struct FrameHistory::Identifier {
    struct Block {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    // The newest block is written through these alone, so that a frame touches its identifier and
    // the end of its block and nothing else: thousands of identifiers stay in the cache.
    std::uint8_t* newest = nullptr;
    std::size_t newestCapacity = 0;
    std::size_t newestUsed = 0;
    std::int64_t latestUs = 0;
    std::uint64_t frames = 0;
    std::int64_t oldestUs = 0;
    // Oldest first, from firstBlock on; the ones before it are spent and wait to be compacted away.
    // The newest block's used is newestUsed.
    std::vector<Block> blocks;
    std::size_t firstBlock = 0;
    std::size_t readOffset = 0; // of the oldest frame, in blocks[firstBlock]

    std::size_t usedOf(std::size_t index) const { return index + 1 == blocks.size() ? newestUsed : blocks[index].used; }

    struct Record {
        std::size_t size = 0;
        std::int64_t timeUs = 0;
        const std::uint8_t* lengthAndFlags = nullptr; // the data bytes follow it
        std::uint8_t fdMark = 0; // of a CAN FD frame; 0 for a classic one
    };

    // The record at bytes, of a frame that came after one at previousUs.
    static Record read(const std::uint8_t* bytes, std::int64_t previousUs)
    {
        Record record;
        const auto gap = load<std::uint32_t>(bytes);
        record.size = kGapBytes;
        if (gap == kAbsoluteTime) {
            record.timeUs = load<std::int64_t>(bytes + record.size);
            record.size += kTimeBytes;
        } else {
            record.timeUs = previousUs + gap;
        }
        record.lengthAndFlags = bytes + record.size;
        if (isFdMark(*record.lengthAndFlags)) {
            record.fdMark = *record.lengthAndFlags++;
            ++record.size;
        }
        const std::uint8_t flags = *record.lengthAndFlags;
        record.size += 1 + ((flags & kRemoteFlag) != 0 ? 0 : (flags & kLengthMask));
        return record;
    }
};

FrameHistory::FrameHistory(std::size_t limitBytes)
    : m_limitBytes(std::max(limitBytes, kMinLimitBytes))
{
}

FrameHistory::~FrameHistory() = default;

void FrameHistory::observe(const CanFrame& frame)
{
    const std::optional<std::uint16_t> position = findOrAdd(frame);
    if (!position) {
        ++m_notKept;
        return;
    }
    Identifier* identifier = &m_identifiers[*position];
    const std::size_t length
        = frame.remote ? std::min<std::size_t>(frame.length, CanFrame::kMaxClassicLength) : frame.dataLength();
    const std::size_t dataBytes = frame.remote ? 0 : length;
    const std::int64_t gap = frame.timestampUs - identifier->latestUs;
    const bool gapFits = identifier->frames == 0 || (gap >= 0 && gap < kAbsoluteTime);
    const std::size_t recordBytes = kGapBytes + (gapFits ? 0 : kTimeBytes) + (frame.fd ? 2 : 1) + dataBytes;
    if (identifier->newestCapacity - identifier->newestUsed < recordBytes)
        startBlock(*identifier);

    std::uint8_t* out = identifier->newest + identifier->newestUsed;
    if (gapFits) {
        out = store(out, identifier->frames == 0 ? std::uint32_t { 0 } : static_cast<std::uint32_t>(gap));
    } else {
        out = store(out, kAbsoluteTime);
        out = store(out, frame.timestampUs);
    }
    if (frame.fd)
        *out++ = static_cast<std::uint8_t>(kFdMark | (frame.bitRateSwitch ? kBitRateSwitchFlag : 0)
                                           | (frame.errorStateIndicator ? kErrorStateFlag : 0));
    *out++ = static_cast<std::uint8_t>(length | (frame.remote ? kRemoteFlag : 0));
    std::memcpy(out, frame.data.data(), dataBytes);
    identifier->newestUsed += recordBytes;

    if (identifier->frames == 0)
        identifier->oldestUs = frame.timestampUs;
    identifier->latestUs = frame.timestampUs;
    ++identifier->frames;
    m_order.push_back(*position);
    m_bytesUsed += kOrderEntryBytes;
    dropToLimit();
}

void FrameHistory::startBlock(Identifier& identifier)
{
    auto& blocks = identifier.blocks;
    const bool first = blocks.size() == identifier.firstBlock;
    if (!first)
        blocks.back().used = identifier.newestUsed;
    const std::size_t capacity = first ? kFirstBlockBytes : std::min(identifier.newestCapacity * 2, kMaxBlockBytes);
    blocks.push_back({ std::make_unique_for_overwrite<std::uint8_t[]>(capacity), capacity, 0 });
    identifier.newest = blocks.back().bytes.get();
    identifier.newestCapacity = capacity;
    identifier.newestUsed = 0;
    m_bytesUsed += capacity;
}

std::optional<std::uint16_t> FrameHistory::findOrAdd(const CanFrame& frame)
{
    if (!IdentifierPositions::inRange(frame.id, frame.extended))
        return std::nullopt;
    if (const std::uint32_t found = m_positions.find(frame); found != IdentifierPositions::kNone)
        return static_cast<std::uint16_t>(found - 1);
    if (m_identifiers.size() >= kMaxIdentifiers)
        return std::nullopt;
    m_identifiers.emplace_back();
    const auto newPosition = static_cast<std::uint32_t>(m_identifiers.size());
    m_positions.slot(frame) = newPosition;
    m_bytesUsed += sizeof(Identifier);
    return static_cast<std::uint16_t>(newPosition - 1);
}

const FrameHistory::Identifier* FrameHistory::find(std::uint32_t id, bool extended, std::uint8_t bus) const
{
    const std::uint32_t position = m_positions.find(id, extended, bus);
    return position != IdentifierPositions::kNone ? &m_identifiers[position - 1] : nullptr;
}

void FrameHistory::dropToLimit()
{
    while (m_bytesUsed > m_limitBytes && !m_order.empty())
        dropOldest();
}

void FrameHistory::dropOldest()
{
    Identifier& identifier = m_identifiers[m_order.front()];
    m_order.pop_front();
    m_bytesUsed -= kOrderEntryBytes;
    ++m_dropped;
    auto& blocks = identifier.blocks;
    if (--identifier.frames == 0) {
        // An identifier with nothing left keeps no block: one heard once long ago costs nothing.
        for (std::size_t index = identifier.firstBlock; index < blocks.size(); ++index)
            m_bytesUsed -= blocks[index].capacity;
        blocks.clear();
        identifier.firstBlock = 0;
        identifier.readOffset = 0;
        identifier.newest = nullptr;
        identifier.newestCapacity = 0;
        identifier.newestUsed = 0;
        return;
    }
    identifier.readOffset
        += Identifier::read(blocks[identifier.firstBlock].bytes.get() + identifier.readOffset, 0).size;
    if (identifier.readOffset == identifier.usedOf(identifier.firstBlock)) {
        m_bytesUsed -= blocks[identifier.firstBlock].capacity;
        blocks[identifier.firstBlock] = {};
        ++identifier.firstBlock;
        identifier.readOffset = 0;
        // Spent blocks are taken out of the list in one go once they are half of it.
        if (identifier.firstBlock * 2 >= blocks.size()) {
            blocks.erase(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(identifier.firstBlock));
            identifier.firstBlock = 0;
        }
    }
    // The new oldest frame's gap counts from the one just let go.
    identifier.oldestUs
        = Identifier::read(blocks[identifier.firstBlock].bytes.get() + identifier.readOffset, identifier.oldestUs)
              .timeUs;
}

void FrameHistory::clear()
{
    m_identifiers.clear();
    m_order.clear();
    m_order.shrink_to_fit();
    m_positions.clear();
    m_bytesUsed = 0;
    m_dropped = 0;
    m_notKept = 0;
}

void FrameHistory::setLimitBytes(std::size_t limitBytes)
{
    m_limitBytes = std::max(limitBytes, kMinLimitBytes);
    dropToLimit();
}

std::optional<std::int64_t> FrameHistory::earliestUs() const
{
    if (m_order.empty())
        return std::nullopt;
    return m_identifiers[m_order.front()].oldestUs;
}

void FrameHistory::forEachFrame(std::uint32_t id, bool extended, const std::function<void(const CanFrame&)>& visit,
                                std::uint8_t bus) const
{
    const Identifier* identifier = find(id, extended, bus);
    if (identifier == nullptr || identifier->frames == 0)
        return;
    CanFrame frame;
    frame.id = id;
    frame.extended = extended;
    frame.bus = bus;
    std::int64_t timeUs = identifier->oldestUs;
    bool oldest = true;
    for (std::size_t index = identifier->firstBlock; index < identifier->blocks.size(); ++index) {
        const Identifier::Block& block = identifier->blocks[index];
        const std::size_t used = identifier->usedOf(index);
        for (std::size_t offset = index == identifier->firstBlock ? identifier->readOffset : 0; offset < used;) {
            const Identifier::Record record = Identifier::read(block.bytes.get() + offset, timeUs);
            // The oldest frame's gap counts from a frame that is gone: its time is kept apart.
            timeUs = oldest ? identifier->oldestUs : record.timeUs;
            oldest = false;
            frame.fd = record.fdMark != 0;
            frame.bitRateSwitch = (record.fdMark & kBitRateSwitchFlag) != 0;
            frame.errorStateIndicator = (record.fdMark & kErrorStateFlag) != 0;
            frame.remote = (*record.lengthAndFlags & kRemoteFlag) != 0;
            frame.length = static_cast<std::uint8_t>(*record.lengthAndFlags & kLengthMask);
            frame.data = {};
            if (!frame.remote)
                std::memcpy(frame.data.data(), record.lengthAndFlags + 1,
                            std::min<std::size_t>(frame.length, frame.data.size()));
            frame.timestampUs = timeUs;
            visit(frame);
            offset += record.size;
        }
    }
}

} // namespace vexmoor
