#include "views/BitGridModel.h"

#include "capture/signals/FrameDecoder.h"
#include "capture/signals/SignalDraft.h"
#include "views/SignalColors.h"

#include "platform/WallClock.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/SuppressionMask.h"
#include "views/MessageTableModel.h"

#include <QBrush>
#include <QFont>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vexmoor {

namespace {

constexpr int kBitsPerByte = 8;

int bitIndex(int byte, int bit)
{
    return byte * kBitsPerByte + bit;
}

QColor blend(const QColor& from, const QColor& to, double share)
{
    auto mix = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// The table's colours of a change up and down at full strength: the flip is drawn as a thin frame
// around the cell, not the table's filled byte, and must stand out over the heat's pale tint.
QColor flipColor(bool risen)
{
    const QColor table = risen ? MessageTableModel::kUpColor : MessageTableModel::kDownColor;
    return QColor::fromHsv(table.hsvHue(), 255, 190);
}

// The field holding the bit, as its index in the anatomy's fields; -1 off the grid or past the frames
// the proposal was made from.
int fieldOf(const MessageAnatomy& anatomy, int byte, int bit)
{
    const int position = bitIndex(byte, bit);
    if (byte < 0 || bit < 0 || bit >= kBitsPerByte
        || static_cast<std::size_t>(position) >= anatomy.fieldOfPosition.size())
        return -1;
    const int field = anatomy.fieldOfPosition[static_cast<std::size_t>(position)];
    return field >= 0 && static_cast<std::size_t>(field) < anatomy.fields.size() ? field : -1;
}

} // namespace

const QColor BitGridModel::kSuppressedColor { 150, 150, 150 };

BitGridModel::BitGridModel(const ChangeTracker& changes, QObject* parent)
    : QAbstractTableModel(parent)
    , m_changes(changes)
    , m_clock(&WallClock::exact())
    , m_nowUs(m_clock->nowUs())
{
}

void BitGridModel::setClock(const FramesClock& clock)
{
    m_clock = &clock;
    m_nowUs = m_clock->nowUs();
}

void BitGridModel::showIdentifier(std::uint32_t id, bool extended, std::uint8_t bus)
{
    beginResetModel();
    m_shown = true;
    m_id = id;
    m_extended = extended;
    m_bus = bus;
    m_nowUs = m_clock->nowUs();
    takeSnapshot();
    matchSignals();
    endResetModel();
}

void BitGridModel::setSignals(const FrameDecoder* decoder)
{
    beginResetModel();
    m_decoder = decoder;
    matchSignals();
    endResetModel();
}

void BitGridModel::setDraggedBits(std::vector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    if (positions == m_dragged)
        return;
    m_dragged = std::move(positions);
    if (m_rows > 0)
        emit dataChanged(index(0, Bit7), index(m_rows - 1, Bit0), { DraggedRole });
}

const MessageDecoder* BitGridModel::shownMessage() const
{
    return m_shown && m_decoder != nullptr ? m_decoder->find(m_id, m_extended) : nullptr;
}

void BitGridModel::matchSignals()
{
    m_owners.clear();
    const MessageDecoder* message = shownMessage();
    if (message == nullptr)
        return;
    const auto& definitions = message->definition().signalDefinitions;
    for (std::size_t index = definitions.size(); index-- > 0;) {
        // From the last signal to the first, so that the first of two that share a bit owns it.
        for (const int position : SignalDraft::bitsOf(definitions[index])) {
            if (position < 0)
                continue;
            if (static_cast<std::size_t>(position) >= m_owners.size())
                m_owners.resize(static_cast<std::size_t>(position) + 1, -1);
            m_owners[static_cast<std::size_t>(position)] = static_cast<int>(index);
        }
    }
}

int BitGridModel::ownerOf(int byte, int bit) const
{
    const int position = bitIndex(byte, bit);
    if (byte < 0 || bit < 0 || bit >= kBitsPerByte || static_cast<std::size_t>(position) >= m_owners.size())
        return -1;
    return m_owners[static_cast<std::size_t>(position)];
}

QVariant BitGridModel::signalData(int byte, int bit, int role) const
{
    if (role == DraggedRole)
        return std::binary_search(m_dragged.begin(), m_dragged.end(), bitIndex(byte, bit));
    const int owner = ownerOf(byte, bit);
    if (owner < 0)
        return {};
    if (role == SignalColorRole)
        return signalColor(static_cast<std::size_t>(owner));
    int edges = 0;
    edges |= ownerOf(byte, bit + 1) != owner ? LeftEdge : 0;
    edges |= ownerOf(byte, bit - 1) != owner ? RightEdge : 0;
    edges |= ownerOf(byte - 1, bit) != owner ? TopEdge : 0;
    edges |= ownerOf(byte + 1, bit) != owner ? BottomEdge : 0;
    return edges;
}

void BitGridModel::setAnatomyLookup(AnatomyLookup lookup)
{
    m_anatomy = std::move(lookup);
    anatomyChanged();
}

void BitGridModel::anatomyChanged()
{
    if (m_rows > 0)
        emit dataChanged(index(0, Bit7), index(m_rows - 1, Bit0), { FieldKindRole, FieldEdgesRole, Qt::ToolTipRole });
}

const MessageAnatomy* BitGridModel::shownAnatomy() const
{
    if (!m_shown || !m_anatomy)
        return nullptr;
    // Without a proposal every field is a constant that says why: nothing worth tinting.
    const MessageAnatomy* anatomy = m_anatomy(m_id, m_extended, m_bus);
    return anatomy != nullptr && anatomy->proposed ? anatomy : nullptr;
}

int BitGridModel::fieldAt(int position) const
{
    const MessageAnatomy* anatomy = shownAnatomy();
    return anatomy != nullptr && position >= 0 ? fieldOf(*anatomy, position / kBitsPerByte, position % kBitsPerByte)
                                               : -1;
}

QVariant BitGridModel::fieldData(int byte, int bit, int role) const
{
    const MessageAnatomy* anatomy = shownAnatomy();
    const int field = anatomy != nullptr ? fieldOf(*anatomy, byte, bit) : -1;
    if (field < 0)
        return {};
    if (role == FieldKindRole)
        return static_cast<int>(anatomy->fields[static_cast<std::size_t>(field)].kind);
    // Only between two fields: the grid's border and bits past the proposal need no line.
    const auto apart = [&](int otherByte, int otherBit) {
        const int other = fieldOf(*anatomy, otherByte, otherBit);
        return other >= 0 && other != field;
    };
    int edges = 0;
    edges |= apart(byte, bit + 1) ? LeftEdge : 0;
    edges |= apart(byte, bit - 1) ? RightEdge : 0;
    edges |= apart(byte - 1, bit) ? TopEdge : 0;
    edges |= apart(byte + 1, bit) ? BottomEdge : 0;
    return edges;
}

void BitGridModel::showNothing()
{
    beginResetModel();
    m_shown = false;
    takeSnapshot();
    endResetModel();
}

std::optional<std::uint32_t> BitGridModel::shownId() const
{
    return m_shown ? std::optional(m_id) : std::nullopt;
}

const IdentifierChanges* BitGridModel::shownChanges() const
{
    return m_shown ? m_changes.find(m_id, m_extended, m_bus) : nullptr;
}

bool BitGridModel::isSuppressed(int index) const
{
    return m_suppression != nullptr && m_suppression->isSuppressed(m_id, m_extended, index, m_bus);
}

int BitGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int BitGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count;
}

QVariant BitGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Vertical)
        return section < m_rows ? QVariant(QStringLiteral("Byte %1").arg(section)) : QVariant();
    if (section < Hex)
        return QString::number(Bit0 - section);
    if (section == Hex)
        return QStringLiteral("Hex");
    return section == Dec ? QVariant(QStringLiteral("Dec")) : QVariant();
}

QVariant BitGridModel::data(const QModelIndex& index, int role) const
{
    const IdentifierChanges* changes = shownChanges();
    // The view may ask between two refreshes, after the identifier's frames grew shorter.
    if (!index.isValid() || changes == nullptr || index.row() >= std::min<int>(m_rows, changes->length()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(Qt::AlignCenter);
    if (index.column() < Hex)
        return bitData(*changes, index.row(), Bit0 - index.column(), role);
    return byteData(*changes, index.row(), index.column(), role);
}

QVariant BitGridModel::byteData(const IdentifierChanges& changes, int byte, int column, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    const std::uint8_t value = changes.byte(byte);
    return column == Hex ? QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper() : QString::number(value);
}

QVariant BitGridModel::bitData(const IdentifierChanges& changes, int byte, int bit, int role) const
{
    const int index = bitIndex(byte, bit);
    const bool value = changes.bit(index);
    const bool suppressed = isSuppressed(index);
    // A suppressed bit keeps its value in sight, and nothing else: it always moves, so its flips tell
    // nothing and its count would drown the heat of the others.
    const double strength = suppressed ? 0 : strengthAt(changes.bitFlippedUs(index));
    const double heat = suppressed ? 0 : heatOf(changes.bitFlips(index));
    switch (role) {
    case Qt::DisplayRole:
        return value ? QStringLiteral("1") : QStringLiteral("0");
    case Qt::ToolTipRole:
        return bitToolTip(changes, byte, bit);
    case Qt::BackgroundRole:
        if (suppressed)
            return QBrush(kSuppressedColor, Qt::BDiagPattern);
        return heat > 0 ? QVariant(QBrush(heatColor(heat))) : QVariant();
    case Qt::ForegroundRole:
        return suppressed ? QVariant(QBrush(kSuppressedColor.darker(130))) : QVariant();
    case Qt::FontRole: {
        if (strength <= 0)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case RecentFlipColorRole: {
        if (strength <= 0)
            return {};
        QColor colour = flipColor(value);
        colour.setAlphaF(static_cast<float>(strength));
        return colour;
    }
    case HeatRole:
        return heat;
    case SuppressedRole:
        return suppressed;
    case SignalColorRole:
    case SignalEdgesRole:
    case DraggedRole:
        return signalData(byte, bit, role);
    case FieldKindRole:
    case FieldEdgesRole:
        return fieldData(byte, bit, role);
    default:
        return {};
    }
}

double BitGridModel::heatOf(std::uint32_t flips) const
{
    // The busiest bit may have flipped again since the last refresh took the scale's top.
    return flips == 0 ? 0 : std::min(1.0, std::log1p(flips) / std::log1p(std::max(1U, m_busiestFlips)));
}

QString BitGridModel::bitToolTip(const IdentifierChanges& changes, int byte, int bit) const
{
    const int index = bitIndex(byte, bit);
    const std::uint32_t flips = changes.bitFlips(index);
    QString text = QStringLiteral("byte %1 bit %2: value %3, %4 %5, ")
                       .arg(byte)
                       .arg(bit)
                       .arg(changes.bit(index) ? 1 : 0)
                       .arg(flips)
                       .arg(flips == 1 ? QStringLiteral("flip") : QStringLiteral("flips"));
    const std::int64_t flippedUs = changes.bitFlippedUs(index);
    if (flippedUs == IdentifierChanges::kNever) {
        text += QStringLiteral("never flipped");
    } else {
        // A flip stamped after the shown moment came on another clock; it is as new as can be.
        const double ageSeconds = static_cast<double>(std::max<std::int64_t>(0, m_nowUs - flippedUs)) / 1e6;
        text += QStringLiteral("last flip %1 s ago").arg(ageSeconds, 0, 'f', 1);
    }
    if (isSuppressed(index))
        text += QStringLiteral(" (suppressed)");
    if (const MessageDecoder* message = shownMessage()) {
        const auto& definitions = message->definition().signalDefinitions;
        for (const SignalDefinition& signal : definitions) {
            const std::vector<int> bits = SignalDraft::bitsOf(signal);
            if (std::find(bits.begin(), bits.end(), index) != bits.end())
                text += QStringLiteral("\n%1.%2").arg(QString::fromStdString(message->definition().name),
                                                      QString::fromStdString(signal.name));
        }
    }
    if (const int field = fieldAt(index); field >= 0)
        text += QLatin1Char('\n')
            + QString::fromStdString(shownAnatomy()->fields[static_cast<std::size_t>(field)].description());
    return text;
}

double BitGridModel::strengthAt(std::int64_t flippedUs) const
{
    if (flippedUs == IdentifierChanges::kNever)
        return 0;
    // A flip stamped after the shown moment belongs to another clock: it is not shown as recent.
    const std::int64_t age = m_nowUs - flippedUs;
    if (age < 0 || age >= MessageTableModel::kFadeUs)
        return 0;
    return 1.0 - static_cast<double>(age) / static_cast<double>(MessageTableModel::kFadeUs);
}

QColor BitGridModel::heatColor(double heat)
{
    if (!(heat > 0))
        return {};
    // Pale stops, so that the black digit reads on every one: a cool blue for a bit that moved a few
    // times, through straw to a warm coral for the busiest.
    static const QColor cold(205, 225, 255);
    static const QColor warm(255, 238, 160);
    static const QColor hot(255, 160, 130);
    const double clamped = std::min(heat, 1.0);
    return clamped < 0.5 ? blend(cold, warm, clamped * 2) : blend(warm, hot, (clamped - 0.5) * 2);
}

QColor BitGridModel::fieldKindColor(FieldKind kind)
{
    // Apart from the heat's blue, straw and coral, and from each other, and pale enough to read a
    // signal's outline against.
    switch (kind) {
    case FieldKind::Counter:
        return { 190, 160, 235 };
    case FieldKind::Checksum:
        return { 235, 150, 195 };
    case FieldKind::Flag:
        return { 120, 205, 185 };
    case FieldKind::Enum:
        return { 240, 185, 110 };
    case FieldKind::Value:
        return { 120, 175, 235 };
    case FieldKind::Constant:
        break;
    }
    return { 215, 215, 215 };
}

std::uint32_t BitGridModel::busiestFlips(const IdentifierChanges& changes) const
{
    // The scale is log-shaped against the busiest bit not suppressed: a counter's low bit flips in
    // every frame, thousands of times, while the bits worth finding flip a handful of times; on a
    // straight scale they would all look cold beside it.
    std::uint32_t busiest = 0;
    for (int index = 0; index < changes.length() * kBitsPerByte; ++index) {
        if (!isSuppressed(index))
            busiest = std::max(busiest, changes.bitFlips(index));
    }
    return busiest;
}

BitGridModel::RowState BitGridModel::rowState(const IdentifierChanges& changes, int byte) const
{
    RowState state;
    state.value = changes.byte(byte);
    state.suppressed = m_suppression != nullptr ? m_suppression->byteMask(m_id, m_extended, byte, m_bus) : 0;
    state.lastFlipUs = IdentifierChanges::kNever;
    for (int bit = 0; bit < kBitsPerByte; ++bit) {
        const int index = bitIndex(byte, bit);
        state.flips[static_cast<std::size_t>(bit)] = changes.bitFlips(index);
        if ((state.suppressed >> bit & 1U) == 0)
            state.lastFlipUs = std::max(state.lastFlipUs, changes.bitFlippedUs(index));
    }
    return state;
}

bool BitGridModel::fadesAt(std::int64_t lastFlipUs, std::int64_t nowUs) const
{
    return lastFlipUs != IdentifierChanges::kNever && nowUs - lastFlipUs >= 0
        && nowUs - lastFlipUs < MessageTableModel::kFadeUs;
}

void BitGridModel::takeSnapshot()
{
    const IdentifierChanges* changes = shownChanges();
    m_rows = changes != nullptr ? changes->length() : 0;
    m_rowStates.clear();
    m_busiestFlips = changes != nullptr ? busiestFlips(*changes) : 0;
    for (int byte = 0; byte < m_rows; ++byte)
        m_rowStates.push_back(rowState(*changes, byte));
}

bool BitGridModel::rowMoved(const IdentifierChanges& changes, int byte, std::int64_t previousNowUs, bool topMoved)
{
    const RowState state = rowState(changes, byte);
    const bool stateMoved = std::exchange(m_rowStates[static_cast<std::size_t>(byte)], state) != state;
    // A new top of the heat scale recolours every bit that flipped at all.
    const bool heated = topMoved && std::any_of(state.flips.begin(), state.flips.end(), [](auto f) { return f > 0; });
    // Without a flip the row moves only with the clock, while a fade lasts; the last refresh inside
    // it is followed by one more that shows it over.
    const bool fading
        = m_nowUs != previousNowUs && (fadesAt(state.lastFlipUs, previousNowUs) || fadesAt(state.lastFlipUs, m_nowUs));
    return stateMoved || heated || fading;
}

void BitGridModel::refresh()
{
    const std::int64_t previousNowUs = std::exchange(m_nowUs, m_clock->nowUs());
    const IdentifierChanges* changes = shownChanges();
    if ((changes != nullptr ? changes->length() : 0) != m_rows) {
        beginResetModel();
        takeSnapshot();
        endResetModel();
        return;
    }
    if (changes == nullptr)
        return;
    const std::uint32_t busiest = busiestFlips(*changes);
    const bool topMoved = std::exchange(m_busiestFlips, busiest) != busiest;
    int runStart = -1;
    for (int byte = 0; byte <= m_rows; ++byte) {
        const bool moved = byte < m_rows && rowMoved(*changes, byte, previousNowUs, topMoved);
        if (moved && runStart < 0)
            runStart = byte;
        if (!moved && runStart >= 0) {
            emit dataChanged(index(runStart, 0), index(byte - 1, Count - 1));
            runStart = -1;
        }
    }
}

} // namespace vexmoor
