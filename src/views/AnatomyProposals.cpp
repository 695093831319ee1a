#include "views/AnatomyProposals.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/FrameHistory.h"
#include "capture/changes/IdentifierChanges.h"
#include "capture/ranking/FieldSegmentation.h"

#include <algorithm>
#include <functional>
#include <span>
#include <vector>

namespace vexmoor {

std::size_t AnatomyProposals::KeyHash::operator()(const Key& key) const
{
    return std::hash<std::uint64_t> {}(std::uint64_t { key.id } | std::uint64_t { key.extended } << 32
                                       | std::uint64_t { key.bus } << 40);
}

AnatomyProposals::AnatomyProposals(const FrameHistory& history, const ChangeTracker& changes, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_changes(changes)
{
    setObjectName(QStringLiteral("anatomyProposals"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AnatomyProposals::proposeNow);
}

void AnatomyProposals::follow(std::optional<Key> key)
{
    m_followed = key;
    if (m_active)
        proposeSoon();
}

void AnatomyProposals::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    if (on)
        proposeSoon();
    else
        m_timer.stop();
}

void AnatomyProposals::proposeSoon()
{
    const qint64 sinceLast = m_sinceLast.isValid() ? m_sinceLast.elapsed() : kIntervalMs;
    if (sinceLast >= kIntervalMs)
        proposeNow();
    else
        m_timer.start(static_cast<int>(kIntervalMs - sinceLast));
}

bool AnatomyProposals::holds(const Key& key, const Proposal& proposal) const
{
    // A clear takes the identifier away; when its frames come again they start from another first
    // frame, or count fewer than they did.
    const IdentifierChanges* tracked = m_changes.find(key.id, key.extended, key.bus);
    return tracked != nullptr && tracked->firstFrameUs() == proposal.firstFrameUs
        && tracked->frames() >= proposal.trackedFrames;
}

const MessageAnatomy* AnatomyProposals::find(std::uint32_t id, bool extended, std::uint8_t bus) const
{
    const Key key { id, extended, bus };
    const auto found = m_proposals.find(key);
    return found != m_proposals.end() && holds(key, found->second) ? &found->second.anatomy : nullptr;
}

void AnatomyProposals::dropStale()
{
    std::erase_if(m_proposals, [this](const auto& entry) { return !holds(entry.first, entry.second); });
}

ByteOrder AnatomyProposals::usualOrder()
{
    int evidence = 0;
    for (const auto& [key, proposal] : m_proposals)
        evidence += proposal.anatomy.bigEndianEvidence;
    if (evidence != 0)
        return evidence > 0 ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
    return surveyedOrder();
}

// A vehicle's makers mostly keep to one byte order: most identifiers whose numbers cross a byte show it.
ByteOrder AnatomyProposals::surveyedOrder()
{
    // A survey that found no order yet (too few frames) is made again after a while.
    constexpr qint64 kResurveyMs = 10'000;
    const bool foundNone = m_surveyed && m_surveyAge.isValid() && m_surveyAge.elapsed() < kResurveyMs;
    if (m_surveyed && m_changes.size() >= m_surveyedIdentifiers && (m_surveyFound || foundNone))
        return *m_surveyed;
    int votes = 0;
    const std::size_t surveyed = std::min(m_changes.size(), kSurveyedIdentifiers);
    for (std::size_t index = 0; index < surveyed; ++index) {
        const IdentifierChanges& tracked = m_changes.at(index);
        const int evidence = FieldSegmentation::byteOrderEvidence(
            recentFrames({ tracked.id(), tracked.extended(), tracked.bus() }, kSurveyedFrames));
        votes += (evidence > 0) - (evidence < 0);
    }
    m_surveyed = votes > 0 ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
    m_surveyFound = votes != 0;
    m_surveyAge.start();
    m_surveyedIdentifiers = m_changes.size();
    return *m_surveyed;
}

std::vector<CanFrame> AnatomyProposals::recentFrames(const Key& key, std::size_t limit) const
{
    // Only the latest frames, in a ring while the history hands them over: the history keeps hours of
    // a drive, and a proposal from all of them would cost more each second the drive goes on, while
    // the last few minutes show the fields as well. Remote frames carry no data to read fields from.
    std::vector<CanFrame> frames;
    std::size_t next = 0;
    m_history.forEachFrame(
        key.id, key.extended,
        [&frames, &next, limit](const CanFrame& frame) {
            if (frame.remote)
                return;
            if (frames.size() < limit) {
                frames.push_back(frame);
                return;
            }
            frames[next] = frame;
            next = (next + 1) % limit;
        },
        key.bus);
    std::rotate(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(next), frames.end());
    return frames;
}

void AnatomyProposals::proposeNow()
{
    if (m_active)
        m_timer.start(kIntervalMs);
    dropStale();
    if (!m_followed)
        return;
    const Key key = *m_followed;
    const IdentifierChanges* tracked = m_changes.find(key.id, key.extended, key.bus);
    if (tracked == nullptr)
        return;
    const auto kept = m_proposals.find(key);
    if (kept != m_proposals.end() && kept->second.trackedFrames == tracked->frames())
        return;
    // Only a proposal made counts against the second: a row selected just after a look that found
    // nothing new is proposed without waiting.
    m_sinceLast.start();

    const std::vector<CanFrame> frames = recentFrames(key, kMaxFrames);
    Proposal proposal { FieldSegmentation::propose(std::span<const CanFrame>(frames), usualOrder()),
                        tracked->firstFrameUs(), tracked->frames() };
    proposal.anatomy.id = key.id;
    proposal.anatomy.extended = key.extended;
    proposal.anatomy.bus = key.bus;
    m_proposals.insert_or_assign(key, std::move(proposal));
    emit proposed(key.id, key.extended, key.bus);
}

} // namespace vexmoor
