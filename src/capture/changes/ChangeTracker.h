#pragma once

#include "capture/changes/FlipListener.h"
#include "capture/changes/IdentifierChanges.h"
#include "capture/record/CanFrame.h"
#include "capture/record/IdentifierPositions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vexmoor {

// Follows every frame with an identifier, from any source: for each identifier, when each byte last
// changed and which way, when each bit last flipped and how often, and how fast the frames come.
// Plain C++ on the frames' time stamps, so that a replay and a live drive give the same answers.
class ChangeTracker final {
public:
    // Frames per second and the period come from this window; the busy share from the longer one.
    static constexpr std::int64_t kRateWindowUs = 2'000'000;
    static constexpr std::int64_t kBusyWindowUs = 5'000'000;
    // A broken or fuzzed source can invent millions of 29-bit identifiers; past this many (about 64 MB
    // of state, far more than any vehicle bus carries), frames of new identifiers are only counted.
    static constexpr std::size_t kMaxIdentifiers = std::size_t { 1 } << 16;

    // maxIdentifiers lowers the bound (never raises it past kMaxIdentifiers).
    explicit ChangeTracker(std::size_t maxIdentifiers = kMaxIdentifiers);
    ~ChangeTracker();
    ChangeTracker(const ChangeTracker&) = delete;
    ChangeTracker& operator=(const ChangeTracker&) = delete;

    void observe(const CanFrame& frame);
    void clear();
    // Who hears of every frame that flipped bits; nullptr for nobody.
    void setFlipListener(FlipListener* listener) { m_flipListener = listener; }
    FlipListener* flipListener() const { return m_flipListener; }

    // The identifiers in the order their first frame came. A reference stays valid until clear():
    // later identifiers never move the earlier ones.
    std::size_t size() const;
    const IdentifierChanges& at(std::size_t index) const; // throws std::out_of_range past size()
    const IdentifierChanges* find(std::uint32_t id, bool extended, std::uint8_t bus = 0) const;

    // Frames not followed: of new identifiers past the bound, or with an identifier out of range.
    std::uint64_t untrackedFrames() const;

private:
    // Identifiers live in blocks that never move, so that neither a reference handed out nor a
    // growing table costs a copy, and no identifier needs an allocation of its own.
    static constexpr std::size_t kBlockSize = 64;
    using Block = std::array<IdentifierChanges, kBlockSize>;

    IdentifierChanges* findOrAdd(const CanFrame& frame);
    IdentifierChanges& entry(std::size_t index) const;

    std::size_t m_maxIdentifiers;
    std::size_t m_size = 0;
    std::uint64_t m_untrackedFrames = 0;
    FlipListener* m_flipListener = nullptr;
    std::vector<std::unique_ptr<Block>> m_blocks;
    IdentifierPositions m_positions;
};

} // namespace vexmoor
