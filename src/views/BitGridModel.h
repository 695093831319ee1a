#pragma once

#include "capture/ranking/MessageAnatomy.h"

#include <QAbstractTableModel>
#include <QColor>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vexmoor {

class FramesClock;
class FrameDecoder;
class MessageDecoder;

class ChangeTracker;
class IdentifierChanges;
class SuppressionMask;

// One identifier's data as a grid of bits: a row per byte of its latest frame, the bits most
// significant first as a byte is read, then the byte in hex and decimal. Each bit tells its value,
// how recently it flipped and how often, and the field proposed for it. The identifier is looked up
// in the tracker at every refresh and never held: clearing the tracker takes every identifier away.
class BitGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // Bit7 shows bit 7 of the byte, Bit0 bit 0: the column of bit b is Bit0 - b.
    enum Column { Bit7, Bit6, Bit5, Bit4, Bit3, Bit2, Bit1, Bit0, Hex, Dec, Count };

    enum Role {
        // Of a bit: the colour of its last flip (the way it went), its alpha falling from 1 to 0 as the
        // flip fades; invalid when there is none to show.
        RecentFlipColorRole = Qt::UserRole + 1,
        // Of a bit: how often it flipped, 0 (never) to 1 (as often as the identifier's busiest bit).
        HeatRole,
        SuppressedRole,
        // Of a bit of a defined signal: the signal's colour (the first signal's, where two share it).
        SignalColorRole,
        // Of a bit of a defined signal: the sides (SignalEdge) where the signal's outline runs, those
        // whose neighbouring cell is not the same signal's.
        SignalEdgesRole,
        // Of a bit: whether it lies in the run being dragged.
        DraggedRole,
        // Of a bit of a proposed field: the field's FieldKind, as an int; invalid without a proposal.
        FieldKindRole,
        // Of a bit of a proposed field: the sides (SignalEdge) whose neighbouring cell is another field's.
        FieldEdgesRole,
    };
    enum SignalEdge { LeftEdge = 1, TopEdge = 2, RightEdge = 4, BottomEdge = 8 };

    // The fields proposed for an identifier (and bus), or nullptr for none.
    using AnatomyLookup = std::function<const MessageAnatomy*(std::uint32_t id, bool extended, std::uint8_t bus)>;

    static const QColor kSuppressedColor;

    explicit BitGridModel(const ChangeTracker& changes, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BitGridModel)

    // Suppressed bits are shown set aside and never as flipped; the mask must outlive the model.
    void setSuppression(const SuppressionMask* suppression) { m_suppression = suppression; }
    // Microseconds on the frames' clock, the one the tracker's flips are stamped on.
    void setClock(const FramesClock& clock);
    void showIdentifier(std::uint32_t id, bool extended, std::uint8_t bus = 0);
    // The signals of the database are outlined on their message's bits from now on; the decoder must
    // outlive the model or be replaced first, nullptr for none.
    void setSignals(const FrameDecoder* decoder);
    // The bits, as positions byte * 8 + bit, that a drag in progress covers; empty when none.
    void setDraggedBits(std::vector<int> positions);
    // Where the proposed fields of the shown identifier are read from; the bits are tinted by their
    // field's kind and the fields' boundaries drawn. anatomyChanged() repaints them after a proposal.
    void setAnatomyLookup(AnatomyLookup lookup);
    void anatomyChanged();
    // The proposal for the shown identifier; nullptr without one, or while the frames tell too little.
    const MessageAnatomy* shownAnatomy() const;
    // The index in shownAnatomy()'s fields of the field holding the bit, byte * 8 + bit; -1 for none.
    int fieldAt(int position) const;
    void showNothing();
    std::optional<std::uint32_t> shownId() const;
    bool shownExtended() const { return m_extended; }
    std::uint8_t shownBus() const { return m_bus; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Reads the clock and the identifier's state: a new length resets the grid, otherwise only the
    // rows whose look moved are told to the view.
    void refresh();

    // The cold-to-hot tint of a heat from 0 to 1; invalid for 0, a bit that never flipped.
    static QColor heatColor(double heat);
    // The soft tint of a proposed field's kind.
    static QColor fieldKindColor(FieldKind kind);

private:
    // What a row's paint depends on besides the clock: when any of it changes, the row is repainted.
    struct RowState {
        std::uint8_t value = 0;
        std::uint8_t suppressed = 0;
        std::array<std::uint32_t, 8> flips {};
        std::int64_t lastFlipUs = 0;
        bool operator==(const RowState&) const = default;
    };

    const IdentifierChanges* shownChanges() const;
    bool isSuppressed(int bitIndex) const;
    RowState rowState(const IdentifierChanges& changes, int byte) const;
    std::uint32_t busiestFlips(const IdentifierChanges& changes) const;
    bool fadesAt(std::int64_t lastFlipUs, std::int64_t nowUs) const;
    double strengthAt(std::int64_t flippedUs) const;
    double heatOf(std::uint32_t flips) const;
    QVariant bitData(const IdentifierChanges& changes, int byte, int bit, int role) const;
    QVariant byteData(const IdentifierChanges& changes, int byte, int column, int role) const;
    QString bitToolTip(const IdentifierChanges& changes, int byte, int bit) const;
    QVariant signalData(int byte, int bit, int role) const;
    QVariant fieldData(int byte, int bit, int role) const;
    // The signal of the shown message that each bit belongs to (the first, where two share it).
    void matchSignals();
    const MessageDecoder* shownMessage() const;
    int ownerOf(int byte, int bit) const;
    void takeSnapshot();
    // Whether the byte's row looks different from the last refresh; notes its state for the next.
    bool rowMoved(const IdentifierChanges& changes, int byte, std::int64_t previousNowUs, bool topMoved);

    const ChangeTracker& m_changes;
    const SuppressionMask* m_suppression = nullptr;
    const FramesClock* m_clock;
    std::int64_t m_nowUs = 0;
    bool m_shown = false;
    std::uint32_t m_id = 0;
    bool m_extended = false;
    std::uint8_t m_bus = 0;
    // As the view last heard it: the rows, each row's state and the heat scale's top.
    int m_rows = 0;
    std::vector<RowState> m_rowStates;
    std::uint32_t m_busiestFlips = 0;
    const FrameDecoder* m_decoder = nullptr;
    std::vector<int> m_owners; // per bit position, the signal's index or -1
    std::vector<int> m_dragged; // sorted positions
    AnatomyLookup m_anatomy;
};

} // namespace vexmoor
