#include "capture/changes/ChangeTracker.h"

#include <algorithm>
#include <stdexcept>

namespace vexmoor {

ChangeTracker::ChangeTracker(std::size_t maxIdentifiers)
    : m_maxIdentifiers(std::min(maxIdentifiers, kMaxIdentifiers))
{
}

ChangeTracker::~ChangeTracker() = default;

void ChangeTracker::observe(const CanFrame& frame)
{
    IdentifierChanges* changes = findOrAdd(frame);
    if (changes == nullptr) {
        ++m_untrackedFrames;
        return;
    }
    const std::size_t index = changes->index();
    const auto hearLongFlips = [this, index, &frame](int word, std::uint64_t bits) {
        if (m_flipListener != nullptr)
            m_flipListener->bitsFlipped(index, word, bits, frame.timestampUs);
    };
    const std::uint64_t flipped = changes->observe(frame, hearLongFlips);
    if (flipped != 0 && m_flipListener != nullptr)
        m_flipListener->bitsFlipped(index, 0, flipped, frame.timestampUs);
}

void ChangeTracker::clear()
{
    m_size = 0;
    m_untrackedFrames = 0;
    m_blocks.clear();
    m_positions.clear();
}

std::size_t ChangeTracker::size() const
{
    return m_size;
}

const IdentifierChanges& ChangeTracker::at(std::size_t index) const
{
    if (index >= m_size)
        throw std::out_of_range("ChangeTracker: no identifier at that index");
    return entry(index);
}

const IdentifierChanges* ChangeTracker::find(std::uint32_t id, bool extended, std::uint8_t bus) const
{
    const std::uint32_t position = m_positions.find(id, extended, bus);
    return position == IdentifierPositions::kNone ? nullptr : &entry(position - 1);
}

std::uint64_t ChangeTracker::untrackedFrames() const
{
    return m_untrackedFrames;
}

IdentifierChanges* ChangeTracker::findOrAdd(const CanFrame& frame)
{
    if (!IdentifierPositions::inRange(frame.id, frame.extended))
        return nullptr;
    if (const std::uint32_t found = m_positions.find(frame); found != IdentifierPositions::kNone)
        return &entry(found - 1);
    if (m_size >= m_maxIdentifiers)
        return nullptr;
    if (m_size == m_blocks.size() * kBlockSize)
        m_blocks.push_back(std::make_unique<Block>());
    const auto position = static_cast<std::uint32_t>(++m_size);
    m_positions.slot(frame) = position;
    IdentifierChanges& changes = entry(position - 1);
    changes.start(frame, position - 1);
    return &changes;
}

IdentifierChanges& ChangeTracker::entry(std::size_t index) const
{
    return (*m_blocks[index / kBlockSize])[index % kBlockSize];
}

} // namespace vexmoor
