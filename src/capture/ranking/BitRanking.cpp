#include "capture/ranking/BitRanking.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/SuppressionMask.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <unordered_map>

namespace vexmoor {

namespace {

// How likely a bit the switch drives is to flip near a mark: people sometimes press the mark key a
// moment too late, or the message comes late.
constexpr double kDrivenHitChance = 0.95;
// The shortest stretch the chance flips are spread over, so that a bit of an identifier seen for a
// moment is not taken as never flipping.
constexpr double kShortestQuietSeconds = 1.0;
// Nearer than this to its mark, a flip is as good as on it: the hand on the mark key is no faster.
constexpr double kCloseSeconds = 0.25;

// The score is a log-likelihood ratio: how much better "the switch drives this bit" explains the
// marks hit and missed than chance does.
//
// Chance is the bit's own flip rate: its flips away from the marks, with those near them beyond two
// a mark (a toggle flips once, a held button twice), plus one, as a bit never seen to flip may still
// do so, over the time outside the windows. A switch's flip comes close to its mark, within the
// moment between press and key; a flip by chance lands anywhere. So a hit counts by how likely
// chance puts a flip as near the mark as the nearest one came: a flip within a quarter of a second
// of every mark, of a bit that hardly ever flips, scores highest; a counter scores nothing, since it
// flips next to every mark anyway. A miss costs what it says against the switch, and never counts
// for it.
double scoreOf(const BitRanking::NearMarks& near, int marks, std::uint64_t elsewhere, double quietSeconds,
               double windowSeconds)
{
    const std::uint64_t beyondTwoAMark = near.flips > 2U * near.hits ? near.flips - 2U * near.hits : 0;
    const double flipsPerSecond = (static_cast<double>(elsewhere + beyondTwoAMark) + 1.0) / quietSeconds;
    const auto chanceWithin = [flipsPerSecond](double seconds) {
        return std::clamp(1.0 - std::exp(-flipsPerSecond * seconds), 1e-9, 1.0 - 1e-9);
    };
    double score = 0;
    for (int hit = 0; hit < near.hits; ++hit) {
        const double nearest = near.nearestSeconds[static_cast<std::size_t>(hit)];
        const double span = std::min(windowSeconds, 2 * std::max(nearest, kCloseSeconds));
        score += std::log(kDrivenHitChance / chanceWithin(span));
    }
    const double missChance = 1.0 - chanceWithin(windowSeconds);
    return score + (marks - near.hits) * std::min(0.0, std::log((1.0 - kDrivenHitChance) / missChance));
}

} // namespace

BitRanking::BitRanking(ChangeTracker& tracker)
    : m_tracker(tracker)
{
    m_tracker.setFlipListener(this);
}

BitRanking::~BitRanking()
{
    if (m_tracker.flipListener() == this)
        m_tracker.setFlipListener(nullptr);
}

bool BitRanking::setWindow(std::int64_t beforeUs, std::int64_t afterUs)
{
    const auto inRange = [](std::int64_t us) { return us >= 0 && us <= kMaxWindowUs; };
    if (!inRange(beforeUs) || !inRange(afterUs) || beforeUs + afterUs == 0)
        return false;
    m_beforeUs = beforeUs;
    m_afterUs = afterUs;
    marksChanged();
    ++m_revision;
    return true;
}

bool BitRanking::addMark(std::int64_t timeUs, std::string note)
{
    if (m_marks.size() >= kMaxMarks)
        return false;
    m_marks.push_back(Mark { timeUs, std::move(note) });
    m_markFlips.emplace_back();
    marksChanged();
    countRecentFlipsFor(m_marks.size() - 1);
    ++m_revision;
    return true;
}

void BitRanking::removeMark(std::size_t index)
{
    if (index >= m_marks.size())
        return;
    m_marks.erase(m_marks.begin() + static_cast<std::ptrdiff_t>(index));
    m_markFlips.erase(m_markFlips.begin() + static_cast<std::ptrdiff_t>(index));
    marksChanged();
    ++m_revision;
}

void BitRanking::setNote(std::size_t index, std::string note)
{
    if (index < m_marks.size())
        m_marks[index].note = std::move(note);
}

void BitRanking::clearObservations()
{
    for (MarkFlipCounts& counts : m_markFlips)
        counts.clear();
    m_recentNext = 0;
    m_recentCount = 0;
    ++m_revision;
}

void BitRanking::clear()
{
    m_marks.clear();
    m_markFlips.clear();
    marksChanged();
    clearObservations();
}

void BitRanking::bitsFlipped(std::size_t index, int word, std::uint64_t bits, std::int64_t timeUs)
{
    const FlipEvent event { timeUs, bits, static_cast<std::uint32_t>(index), word };
    // The ring is made on the first flip: a session that never sees one never pays for it.
    if (m_recent.empty())
        m_recent.resize(kRecentFlips);
    m_recent[m_recentNext] = event;
    m_recentNext = (m_recentNext + 1) % kRecentFlips;
    m_recentCount = std::min(m_recentCount + 1, kRecentFlips);
    if (m_marks.empty())
        return;
    ++m_revision;
    if (nearAnyMark(timeUs))
        countForMarks(event);
}

bool BitRanking::nearAnyMark(std::int64_t timeUs) const
{
    return timeUs >= m_firstWindowUs && timeUs <= m_lastWindowUs;
}

void BitRanking::countForMarks(const FlipEvent& event)
{
    // Every window is as long as the others, so the marks whose window holds the flip are neighbours
    // in time: from the first mark at most afterUs before the flip.
    const auto first = std::partition_point(m_marksInTime.begin(), m_marksInTime.end(), [&](std::size_t mark) {
        return m_marks[mark].timeUs < event.timeUs - m_afterUs;
    });
    for (auto mark = first; mark != m_marksInTime.end() && m_marks[*mark].timeUs - m_beforeUs <= event.timeUs; ++mark)
        countForMark(*mark, event);
}

void BitRanking::countForMark(std::size_t mark, const FlipEvent& event)
{
    const std::int64_t markUs = m_marks[mark].timeUs;
    if (event.timeUs < markUs - m_beforeUs || event.timeUs > markUs + m_afterUs)
        return;
    const std::int64_t distanceMs = (event.timeUs > markUs ? event.timeUs - markUs : markUs - event.timeUs) / 1000;
    m_markFlips[mark].add(event.index, event.word, event.bits,
                          static_cast<std::uint16_t>(std::min<std::int64_t>(distanceMs, MarkFlipCounts::kFarMs)));
    ++m_revision;
}

void BitRanking::countRecentFlipsFor(std::size_t mark)
{
    // From the newest flip back to the first one before the window: the ring is in arrival order.
    const std::int64_t windowStartUs = m_marks[mark].timeUs - m_beforeUs;
    for (std::size_t back = 1; back <= m_recentCount; ++back) {
        const FlipEvent& event = m_recent[(m_recentNext + kRecentFlips - back) % kRecentFlips];
        if (event.timeUs < windowStartUs)
            break;
        countForMark(mark, event);
    }
}

void BitRanking::marksChanged()
{
    m_marksInTime.resize(m_marks.size());
    for (std::size_t mark = 0; mark < m_marks.size(); ++mark)
        m_marksInTime[mark] = mark;
    std::stable_sort(m_marksInTime.begin(), m_marksInTime.end(),
                     [this](std::size_t a, std::size_t b) { return m_marks[a].timeUs < m_marks[b].timeUs; });
    if (m_marks.empty()) {
        m_firstWindowUs = 0;
        m_lastWindowUs = -1;
        return;
    }
    m_firstWindowUs = m_marks[m_marksInTime.front()].timeUs - m_beforeUs;
    m_lastWindowUs = m_marks[m_marksInTime.back()].timeUs + m_afterUs;
}

std::int64_t BitRanking::windowsWithin(std::int64_t fromUs, std::int64_t toUs) const
{
    // Windows of marks close together overlap: their time is counted once.
    std::int64_t coveredUs = 0;
    std::int64_t reachedUs = fromUs;
    for (const std::size_t mark : m_marksInTime) {
        const std::int64_t startUs = std::max(reachedUs, m_marks[mark].timeUs - m_beforeUs);
        const std::int64_t endUs = std::min(toUs, m_marks[mark].timeUs + m_afterUs);
        if (endUs > startUs) {
            coveredUs += endUs - startUs;
            reachedUs = endUs;
        }
    }
    return coveredUs;
}

std::vector<RankedBit> BitRanking::rank(const SuppressionMask* suppressed, std::size_t top) const
{
    // Word by word of every identifier, the marks' counts side by side: no bit is looked up twice,
    // and nothing is made for a bit that flipped near no mark.
    std::size_t slots = 0;
    for (const MarkFlipCounts& counts : m_markFlips)
        slots = std::max(slots, counts.slotCount());
    std::vector<Candidate> candidates;
    std::array<NearMarks, 64> near;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        const std::size_t index = slot / MarkFlipCounts::kWords;
        if (index >= m_tracker.size() || !gatherNearMarks(slot, near))
            continue;
        const IdentifierChanges& changes = m_tracker.at(index);
        const double quietSeconds
            = std::max(kShortestQuietSeconds,
                       static_cast<double>(changes.lastFrameUs() - changes.firstFrameUs()
                                           - windowsWithin(changes.firstFrameUs(), changes.lastFrameUs()))
                           / 1e6);
        const int firstBit = static_cast<int>(slot % MarkFlipCounts::kWords) * 64;
        for (int bit = 0; bit < 64; ++bit) {
            const NearMarks& entry = near[static_cast<std::size_t>(bit)];
            const int bitIndex = firstBit + bit;
            if (entry.hits == 0
                || (suppressed != nullptr
                    && suppressed->isSuppressed(changes.id(), changes.extended(), bitIndex, changes.bus())))
                continue;
            candidates.push_back({ rankedBit(changes, bitIndex, entry, quietSeconds), index });
        }
    }
    // Best first; ties by fewer flips elsewhere, then in the table's order of first arrival. Only the
    // first top are put in order.
    const auto better = [](const Candidate& a, const Candidate& b) {
        if (a.bit.score != b.bit.score)
            return a.bit.score > b.bit.score;
        if (a.bit.changesElsewhere != b.bit.changesElsewhere)
            return a.bit.changesElsewhere < b.bit.changesElsewhere;
        return a.index != b.index ? a.index < b.index : a.bit.byte * 8 + a.bit.bit < b.bit.byte * 8 + b.bit.bit;
    };
    const std::size_t kept = std::min(top, candidates.size());
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept), candidates.end(),
                      better);
    std::vector<RankedBit> ranked;
    ranked.reserve(kept);
    for (std::size_t place = 0; place < kept; ++place)
        ranked.push_back(candidates[place].bit);
    return ranked;
}

bool BitRanking::gatherNearMarks(std::size_t slot, std::array<NearMarks, 64>& near) const
{
    bool any = false;
    for (NearMarks& entry : near) {
        entry.hits = 0;
        entry.flips = 0;
    }
    for (const MarkFlipCounts& counts : m_markFlips) {
        const MarkFlipCounts::Counts* word = counts.countsAt(slot);
        if (word == nullptr)
            continue;
        for (std::size_t bit = 0; bit < word->size(); ++bit) {
            const MarkFlipCounts::Count& count = (*word)[bit];
            if (count.flips == 0)
                continue;
            NearMarks& entry = near[bit];
            entry.nearestSeconds[static_cast<std::size_t>(entry.hits++)] = count.nearestMs / 1000.0;
            entry.flips += count.flips;
            any = true;
        }
    }
    return any;
}

RankedBit BitRanking::rankedBit(const IdentifierChanges& changes, int bitIndex, const NearMarks& near,
                                double quietSeconds) const
{
    const int marks = static_cast<int>(m_marks.size());
    const double windowSeconds = static_cast<double>(m_beforeUs + m_afterUs) / 1e6;
    const std::uint64_t total = changes.bitFlips(bitIndex);
    // Windows that overlap count a flip once for each: never below none elsewhere.
    const std::uint64_t elsewhere = total > near.flips ? total - near.flips : 0;
    return RankedBit { changes.id(), changes.extended(), changes.bus(),
                       bitIndex / 8, bitIndex % 8,       near.hits,
                       marks,        elsewhere,          scoreOf(near, marks, elsewhere, quietSeconds, windowSeconds) };
}

} // namespace vexmoor
