#include "capture/changes/IdentifierChanges.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace vexmoor {

namespace {

// Bit i of a byte is bit 8 * byte + i of the data word only where the first byte sits lowest.
static_assert(std::endian::native == std::endian::little, "the data word is read straight from the frame's bytes");

constexpr std::uint64_t kByteBits = 0xFF;

// The data word's bits that the first `length` bytes occupy.
constexpr std::uint64_t bytesMask(unsigned length)
{
    return length >= 8 ? ~std::uint64_t { 0 } : (std::uint64_t { 1 } << (8 * length)) - 1;
}

std::size_t checkedIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw std::out_of_range("IdentifierChanges: index out of range");
    return static_cast<std::size_t>(index);
}

} // namespace

IdentifierChanges::IdentifierChanges()
{
    m_byteChangedUs.fill(kNever);
    m_bitFlippedUs.fill(kNever);
}

IdentifierChanges::~IdentifierChanges() = default;
IdentifierChanges::IdentifierChanges(IdentifierChanges&&) noexcept = default;
IdentifierChanges& IdentifierChanges::operator=(IdentifierChanges&&) noexcept = default;

const IdentifierChanges* IdentifierChanges::sliceOf(int& index) const
{
    checkedIndex(index, kBytes);
    if (index < kSliceBytes)
        return this;
    if (m_slices == nullptr)
        return nullptr;
    const IdentifierChanges& slice = (*m_slices)[static_cast<std::size_t>(index / kSliceBytes - 1)];
    index %= kSliceBytes;
    return &slice;
}

std::uint32_t IdentifierChanges::id() const
{
    return m_id;
}

bool IdentifierChanges::extended() const
{
    return m_extended;
}

std::uint8_t IdentifierChanges::length() const
{
    return m_length;
}

std::uint8_t IdentifierChanges::byte(int index) const
{
    const IdentifierChanges* slice = sliceOf(index);
    return slice == nullptr ? 0 : static_cast<std::uint8_t>(slice->m_data >> (8 * index));
}

bool IdentifierChanges::bit(int bitIndex) const
{
    checkedIndex(bitIndex, kBits);
    return ((byte(bitIndex / 8) >> (bitIndex % 8)) & 1) != 0;
}

std::uint64_t IdentifierChanges::frames() const
{
    return m_frames;
}

std::int64_t IdentifierChanges::lastFrameUs() const
{
    return m_lastFrameUs;
}

std::int64_t IdentifierChanges::byteChangedUs(int index) const
{
    const IdentifierChanges* slice = sliceOf(index);
    return slice == nullptr ? kNever : slice->m_byteChangedUs[static_cast<std::size_t>(index)];
}

int IdentifierChanges::byteDirection(int index) const
{
    const IdentifierChanges* slice = sliceOf(index);
    return slice == nullptr ? 0 : slice->m_byteDirections[static_cast<std::size_t>(index)];
}

std::int64_t IdentifierChanges::bitFlippedUs(int bitIndex) const
{
    checkedIndex(bitIndex, kBits);
    int byteIndex = bitIndex / 8;
    const IdentifierChanges* slice = sliceOf(byteIndex);
    return slice == nullptr ? kNever : slice->m_bitFlippedUs[static_cast<std::size_t>(byteIndex * 8 + bitIndex % 8)];
}

std::uint32_t IdentifierChanges::bitFlips(int bitIndex) const
{
    checkedIndex(bitIndex, kBits);
    int byteIndex = bitIndex / 8;
    const IdentifierChanges* slice = sliceOf(byteIndex);
    return slice == nullptr ? 0 : slice->m_bitFlips[static_cast<std::size_t>(byteIndex * 8 + bitIndex % 8)];
}

double IdentifierChanges::framesPerSecond(std::int64_t nowUs) const
{
    return m_activity.framesPerSecond(nowUs);
}

double IdentifierChanges::periodMs(std::int64_t nowUs) const
{
    const double rate = framesPerSecond(nowUs);
    return rate > 0.0 ? 1000.0 / rate : 0.0;
}

double IdentifierChanges::byteChangeShare(int index, std::int64_t nowUs) const
{
    const IdentifierChanges* slice = sliceOf(index);
    return slice == nullptr ? 0.0 : slice->m_activity.byteChangeShare(index, nowUs);
}

void IdentifierChanges::start(const CanFrame& frame, std::uint32_t index)
{
    *this = IdentifierChanges {};
    m_id = frame.id;
    m_extended = frame.extended;
    m_bus = frame.bus;
    m_index = index;
}

std::uint64_t IdentifierChanges::observeSlice(const std::uint8_t* bytes, std::uint8_t length, std::int64_t timeUs)
{
    std::uint64_t data = 0;
    std::memcpy(&data, bytes, sizeof data);
    data &= bytesMask(length);

    // The first frame has nothing to differ from; after that, only the bytes both frames have count.
    const std::uint8_t previousLength = std::min<std::uint8_t>(m_length, kSliceBytes);
    const std::uint64_t shared = m_frames == 0 ? 0 : bytesMask(std::min(length, previousLength));
    const std::uint64_t changed = (data ^ m_data) & shared;
    std::uint8_t changedBytes = 0;
    if (changed != 0) {
        changedBytes = noteByteChanges(changed, data, timeUs);
        noteBitFlips(changed, timeUs);
    }
    m_activity.record(timeUs, changedBytes);

    if (m_frames == 0)
        m_firstFrameUs = timeUs;
    m_data = data;
    m_length = length;
    if (m_frames != std::numeric_limits<std::uint64_t>::max())
        ++m_frames;
    m_lastFrameUs = timeUs;
    return changed;
}

std::uint8_t IdentifierChanges::noteByteChanges(std::uint64_t changed, std::uint64_t data, std::int64_t timeUs)
{
    std::uint8_t changedBytes = 0;
    while (changed != 0) {
        const int index = std::countr_zero(changed) / 8;
        const int shift = 8 * index;
        const auto before = static_cast<std::uint8_t>(m_data >> shift);
        const auto after = static_cast<std::uint8_t>(data >> shift);
        m_byteChangedUs[index] = timeUs;
        m_byteDirections[index] = after > before ? 1 : -1;
        changedBytes = static_cast<std::uint8_t>(changedBytes | (1u << index));
        changed &= ~(kByteBits << shift);
    }
    return changedBytes;
}

void IdentifierChanges::noteBitFlips(std::uint64_t changed, std::int64_t timeUs)
{
    for (; changed != 0; changed &= changed - 1) {
        const int bitIndex = std::countr_zero(changed);
        m_bitFlippedUs[bitIndex] = timeUs;
        if (m_bitFlips[bitIndex] != std::numeric_limits<std::uint32_t>::max())
            ++m_bitFlips[bitIndex];
    }
}

} // namespace vexmoor
