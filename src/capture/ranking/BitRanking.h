#pragma once

#include "capture/changes/FlipListener.h"
#include "capture/ranking/Mark.h"
#include "capture/ranking/MarkFlipCounts.h"
#include "capture/ranking/RankedBit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vexmoor {

class ChangeTracker;
class IdentifierChanges;
class SuppressionMask;

// Names the bit a switch drives: the user marks the moments they press it, and every bit of every
// identifier is ranked by how well its flips follow the marks. A bit that flipped near every mark
// and nowhere else comes first; one that flips all the time, or near only some marks, ranks low.
//
// It hears the tracker's flips as they come. A mark looks back as well as ahead (people press the
// mark key a little after the switch), so the flips of the last moments are kept in a bounded ring
// to be counted for a mark that comes after them.
class BitRanking final : public FlipListener {
public:
    static constexpr std::size_t kMaxMarks = 64;
    static constexpr std::int64_t kDefaultBeforeUs = 1'000'000;
    static constexpr std::int64_t kDefaultAfterUs = 3'000'000;
    static constexpr std::int64_t kMaxWindowUs = 60'000'000;

    // Listens to the tracker's flips from the start; a tracker that should go unheard for a while is
    // given another listener, or none. Leaving, it stops the tracker calling on it.
    explicit BitRanking(ChangeTracker& tracker);
    ~BitRanking() override;
    BitRanking(const BitRanking&) = delete;
    BitRanking& operator=(const BitRanking&) = delete;

    // The window around each mark in which a flip counts as following it: from beforeUs before the
    // mark to afterUs after it. Refused (false) when a side is negative or past kMaxWindowUs, or both
    // are zero. Takes effect for flips heard from then on.
    bool setWindow(std::int64_t beforeUs, std::int64_t afterUs);
    std::int64_t beforeUs() const { return m_beforeUs; }
    std::int64_t afterUs() const { return m_afterUs; }

    // Marks in the order taken; false when kMaxMarks are taken already.
    bool addMark(std::int64_t timeUs, std::string note = {});
    void removeMark(std::size_t index); // nothing past the end
    void setNote(std::size_t index, std::string note);
    const std::vector<Mark>& marks() const { return m_marks; }

    // Forgets the flips heard (the tracker was cleared); clear() forgets the marks as well.
    void clearObservations();
    void clear();

    // Changes whenever the ranking may have: a mark taken or removed, or any flip once there are marks
    // (one away from them counts against its bit as surely as one near them counts for it).
    std::uint64_t revision() const { return m_revision; }

    // The bits that flipped near at least one mark, best first, at most top of them; bits the mask
    // suppresses are left out. Without marks, nothing.
    std::vector<RankedBit> rank(const SuppressionMask* suppressed = nullptr,
                                std::size_t top = std::numeric_limits<std::size_t>::max()) const;

    void bitsFlipped(std::size_t index, int word, std::uint64_t bits, std::int64_t timeUs) override;

    // What is known of one bit near the marks: how many marks it hit, how close its nearest flip came
    // to each of them, and its flips near them in all.
    struct NearMarks {
        int hits = 0;
        std::uint64_t flips = 0;
        std::array<double, kMaxMarks> nearestSeconds {}; // the first hits count
    };

private:
    struct Candidate {
        RankedBit bit;
        std::size_t index = 0; // the identifier's in the tracker
    };
    struct FlipEvent {
        std::int64_t timeUs = 0;
        std::uint64_t bits = 0;
        std::uint32_t index = 0;
        std::int32_t word = 0;
    };
    // Seconds of a busy bus, enough for a mark taken a moment after the switch; small enough (384 KB)
    // that writing it does not push the tracker's state out of the cache.
    static constexpr std::size_t kRecentFlips = std::size_t { 1 } << 14;

    bool nearAnyMark(std::int64_t timeUs) const;
    // The bits of one slot (an identifier's word of 64) near the marks; false when none flipped there.
    bool gatherNearMarks(std::size_t slot, std::array<NearMarks, 64>& near) const;
    RankedBit rankedBit(const IdentifierChanges& changes, int bitIndex, const NearMarks& near,
                        double quietSeconds) const;
    void countForMarks(const FlipEvent& event);
    void countForMark(std::size_t mark, const FlipEvent& event);
    void countRecentFlipsFor(std::size_t mark);
    void marksChanged();
    // How much of the time from fromUs to toUs the marks' windows cover.
    std::int64_t windowsWithin(std::int64_t fromUs, std::int64_t toUs) const;

    ChangeTracker& m_tracker;
    std::int64_t m_beforeUs = kDefaultBeforeUs;
    std::int64_t m_afterUs = kDefaultAfterUs;
    std::vector<Mark> m_marks;
    std::vector<MarkFlipCounts> m_markFlips; // one per mark
    std::vector<std::size_t> m_marksInTime; // the marks' indexes, earliest first
    // Where flips can follow a mark at all: a quick test that most frames pass without a look.
    std::int64_t m_firstWindowUs = 0;
    std::int64_t m_lastWindowUs = -1;
    std::vector<FlipEvent> m_recent; // a ring of kRecentFlips
    std::size_t m_recentNext = 0;
    std::size_t m_recentCount = 0;
    std::uint64_t m_revision = 0;
};

} // namespace vexmoor
