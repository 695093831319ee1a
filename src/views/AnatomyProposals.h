#pragma once

#include "capture/ranking/MessageAnatomy.h"
#include "capture/record/CanFrame.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vexmoor {

class ChangeTracker;
class FrameHistory;

// The fields proposed for the identifiers the user looked at, kept per identifier (and bus, while
// rows are kept per bus) so that the table can read them after the selection moved on. Only the
// identifier followed is proposed again, at most once a second, only while active (a view of it is
// shown) and only when it brought frames since. A proposal holds while its identifier's frames go on
// from where it was made: once the data was cleared it is never handed out again.
class AnatomyProposals final : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 1000;
    // The most recent frames of the identifier a proposal is made from.
    static constexpr std::size_t kMaxFrames = 50'000;
    // The survey of the byte order: how many identifiers, and how many of their latest frames each.
    static constexpr std::size_t kSurveyedIdentifiers = 128;
    static constexpr std::size_t kSurveyedFrames = 2'000;

    struct Key {
        std::uint32_t id = 0;
        bool extended = false;
        std::uint8_t bus = 0;
        bool operator==(const Key&) const = default;
    };

    // The history and the tracker must outlive the proposals.
    AnatomyProposals(const FrameHistory& history, const ChangeTracker& changes, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(AnatomyProposals)

    // The identifier proposed from now on; none: nothing is.
    void follow(std::optional<Key> key);
    // While inactive nothing is proposed; becoming active proposes at once unless the last proposal
    // was made less than a second ago.
    void setActive(bool on);
    bool isActive() const { return m_active; }

    // The proposal for the identifier, while its frames go on from it; nullptr for none. It stays valid
    // until the next proposal or follow().
    const MessageAnatomy* find(std::uint32_t id, bool extended, std::uint8_t bus) const;

signals:
    // A new proposal for the identifier is kept.
    void proposed(std::uint32_t id, bool extended, std::uint8_t bus);

private:
    struct Proposal {
        MessageAnatomy anatomy;
        // The identifier's tracked frames when the proposal was made: a clear starts them anew.
        std::int64_t firstFrameUs = 0;
        std::uint64_t trackedFrames = 0;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };

    void proposeSoon();
    void proposeNow();
    bool holds(const Key& key, const Proposal& proposal) const;
    void dropStale();
    // The byte order the identifiers already proposed show, for one whose frames show none; where they
    // show none either, the order a survey of the bus's identifiers finds.
    ByteOrder usualOrder();
    ByteOrder surveyedOrder();
    // The identifier's latest frames with data, oldest first, at most limit of them.
    std::vector<CanFrame> recentFrames(const Key& key, std::size_t limit) const;

    const FrameHistory& m_history;
    const ChangeTracker& m_changes;
    std::unordered_map<Key, Proposal, KeyHash> m_proposals;
    // The survey's order, and how many identifiers were tracked when it was made: a clear makes it anew.
    std::optional<ByteOrder> m_surveyed;
    std::size_t m_surveyedIdentifiers = 0;
    bool m_surveyFound = false;
    QElapsedTimer m_surveyAge;
    std::optional<Key> m_followed;
    bool m_active = false;
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
};

} // namespace vexmoor
