#pragma once

#include "capture/ranking/MessageAnatomy.h"
#include "capture/record/MessageTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vexmoor {

class BusNames;

class FramesClock;
class SignalDatabase;

class ChangeTracker;
class IdentifierChanges;
class SuppressionMask;

// The message table as the view sees it. It stores nothing of its own: data() turns a cell's
// Windows-1252 bytes into text only for the cells the view asks for. Records change the table far
// more often than a screen can show, so new rows and changed cells are told to the view in batches,
// at most about thirty times a second, and only the rows that changed are repainted. Rows that
// leave the table are told at once, before they go.
//
// After the table's eight columns come three from the change tracker: the latest frame's bytes, with
// how each byte last changed, and the identifier's period and rate. They move with the frames' clock,
// which the model reads once per refresh, so that one paint shows one moment.
class MessageTableModel final : public QAbstractTableModel, private MessageTableObserver {
    Q_OBJECT

public:
    // A record's cell longer than this shows its start and an ellipsis, with the whole in its
    // tooltip: only a CAN FD frame's is, a classic record's "Data Changed - " cell is 59 at most.
    static constexpr std::size_t kShownCharacters = 64;
    static constexpr int kRefreshIntervalMs = 33;
    static constexpr QChar kGlyphlessCharacter { 0x00B7 };

    static constexpr int kDataColumn = static_cast<int>(MessageColumn::Count);
    static constexpr int kPeriodColumn = kDataColumn + 1;
    static constexpr int kRateColumn = kDataColumn + 2;
    // The name of the row's message in the open signal database.
    static constexpr int kDbcMessageColumn = kDataColumn + 3;
    // The row's bus, shown while rows are kept per bus.
    static constexpr int kBusColumn = kDataColumn + 4;
    static constexpr int kColumnCount = kDataColumn + 5;

    // How long a changed byte stays marked, fading out, and above which share of its identifier's
    // recent frames a byte counts as busy: its changes tell little and are shown in grey.
    static constexpr std::int64_t kFadeUs = 2'000'000;
    static constexpr double kBusyShare = 0.5;

    // Of the Data column: per byte, the colour laid over the normal background (invalid: none; its
    // alpha falls as the change fades) and the mark of the direction ("▲" up, "▼" down, "" none).
    enum Role { ByteBackgroundsRole = Qt::UserRole + 1, ByteMarksRole };

    static const QColor kUpColor;
    static const QColor kDownColor;
    static const QColor kBusyColor;
    // A byte whose last change came from suppressed bits, while a bit not suppressed flipped not long
    // before: the byte's direction belongs to the later change, so this one is shown without one.
    static const QColor kUndirectedColor;
    static const QString kUpMark;
    static const QString kDownMark;

    // The fields proposed for an identifier (and bus), or nullptr for none.
    using AnatomyLookup = std::function<const MessageAnatomy*(std::uint32_t id, bool extended, std::uint8_t bus)>;

    struct TrackedIdentifier {
        std::uint32_t id = 0;
        bool extended = false;
        std::uint8_t bus = 0; // while rows are kept per bus, see BusNames
        QString busName;
    };

    explicit MessageTableModel(MessageTable& table, QObject* parent = nullptr);
    ~MessageTableModel() override;
    Q_DISABLE_COPY_MOVE(MessageTableModel)

    // Without a tracker the three columns stay empty.
    void setChanges(const ChangeTracker* changes) { m_changes = changes; }
    // The names of the buses rows are kept for; nullptr: no Bus column text.
    void setBusNames(const BusNames* buses) { m_buses = buses; }
    // Suppressed bits no longer paint their byte; without a mask every bit does. The mask must outlive
    // the model or be taken away first.
    void setSuppression(const SuppressionMask* suppression);
    // Repaints the Data column after the mask changed.
    void suppressionChanged();
    // A busy byte that holds a proposed value, enum or flag, and no counter or checksum, is painted as
    // a rare change is: its moves are what the user looks for, not noise. anatomyChanged() repaints
    // the Data column after a proposal.
    void setAnatomyLookup(AnatomyLookup lookup) { m_anatomy = std::move(lookup); }
    void anatomyChanged() { suppressionChanged(); }
    // The database whose message names the DBC Message column shows; nullptr for none. It must
    // outlive the model or be taken away first.
    void setSignalDatabase(const SignalDatabase* database);
    // Microseconds since the epoch on the frames' clock; the wall clock unless told otherwise.
    void setClock(const FramesClock& clock);
    // The moment the columns show: the clock's reading at the last refresh.
    std::int64_t shownNowUs() const { return m_nowUs; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The identifier the row's key names; empty for a row past the table or a key that names none.
    std::optional<TrackedIdentifier> identifierOfRow(int row) const;

    // Reads the clock and tells the view about the rows added, the cells written and the rows whose
    // tracked columns moved since the last refresh.
    void refresh();

    // What the tracker holds for the row's identifier (row counted from 0); nullptr without a tracker
    // or before its first frame.
    const IdentifierChanges* changesOfRow(int row) const;

    // A cell's text for the screen; in the ASCII column, characters without a glyph show as a dot.
    static QString displayText(std::string_view cell, bool asciiColumn);

private:
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved() override;
    void publishNewRows();
    void repaintChangedRows(std::int64_t previousNowUs);
    bool trackedColumnsMoved(int row, std::int64_t previousNowUs);
    QVariant trackedData(const IdentifierChanges& changes, int column, int role) const;
    QVariant messageNameOfRow(int row) const;
    QString busNameOf(std::uint8_t bus) const;
    QVariantList byteBackgrounds(const IdentifierChanges& changes) const;
    QStringList byteMarks(const IdentifierChanges& changes) const;
    // How the byte is painted at the shown moment, from the flips of its bits not suppressed.
    struct ByteLook {
        double strength = 0; // 1 just changed, falling to 0 as the change fades; 0: not painted
        int direction = 0; // of the change shown: +1 up, -1 down, 0 not known
        bool busy = false;
    };
    ByteLook byteLook(const IdentifierChanges& changes, int byte, const MessageAnatomy* anatomy) const;
    // The proposal for the changes' identifier, when one was made from frames that moved.
    const MessageAnatomy* anatomyOf(const IdentifierChanges& changes) const;
    // The byte's suppressed bits, bit i of the byte as bit i.
    std::uint8_t suppressedBits(const IdentifierChanges& changes, int byte) const;
    // The last flip of the byte's bits outside suppressedBits (IdentifierChanges::kNever: none).
    static std::int64_t lastShownFlipUs(const IdentifierChanges& changes, int byte, std::uint8_t suppressedBits);
    // How far a change at changedUs has faded at the shown moment: 1 just changed, 0 gone.
    double strengthAt(std::int64_t changedUs) const;

    MessageTable& m_table;
    const ChangeTracker* m_changes = nullptr;
    const SignalDatabase* m_database = nullptr;
    const SuppressionMask* m_suppression = nullptr;
    const BusNames* m_buses = nullptr;
    AnatomyLookup m_anatomy;
    const FramesClock* m_clock;
    std::int64_t m_nowUs = 0;
    QTimer m_refreshTimer;
    int m_shownRows = 0;
    int m_rowsBeingRemoved = -1;
    // Per shown row, the identifier's frame count at the last refresh.
    std::vector<std::uint64_t> m_framesShown;
};

} // namespace vexmoor
