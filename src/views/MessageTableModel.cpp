#include "views/MessageTableModel.h"

#include "platform/WallClock.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/changes/SuppressionMask.h"
#include "capture/record/BusNames.h"
#include "capture/signals/SignalDatabase.h"
#include "platform/CodePageText.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace vexmoor {

namespace {

using TrackedIdentifier = MessageTableModel::TrackedIdentifier;

// The inverse of the row key's format: more than three hex digits, or a value above the standard
// range, is an extended identifier (a small one is written with eight digits).
std::optional<TrackedIdentifier> identifierOfKey(std::string_view key)
{
    std::uint32_t id = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id, 16);
    if (key.empty() || error != std::errc() || end != key.data() + key.size())
        return std::nullopt;
    return TrackedIdentifier { id, id > CanFrame::kMaxStandardId || key.size() > 3, 0, {} };
}

// The bytes in hex, a space between two; every bytesPerLine a line break instead (0: one line).
QString byteText(const IdentifierChanges& changes, int bytesPerLine = 0)
{
    QString text;
    for (int byte = 0; byte < changes.length(); ++byte) {
        if (byte > 0)
            text += bytesPerLine > 0 && byte % bytesPerLine == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
        text += QStringLiteral("%1").arg(changes.byte(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

// A CAN FD frame's bytes do not fit the column: the tooltip shows them all, 16 to a line.
constexpr int kToolTipBytesPerLine = 16;

// A rate or period that moves in the last digits stays readable with one decimal.
QString oneDecimal(double value)
{
    return value > 0 ? QString::number(value, 'f', 1) : QString();
}

// How long after an identifier's last frame its tracked columns still move: the fade of a change
// and the rate's window.
constexpr std::int64_t kMovingUs = std::max(MessageTableModel::kFadeUs, ChangeTracker::kRateWindowUs);

bool movesAt(const IdentifierChanges& changes, std::int64_t nowUs)
{
    return nowUs - changes.lastFrameUs() < kMovingUs;
}

// Whether the byte's busy changes are a reading worth seeing: it holds a bit of a value, an enum or a
// flag, and none of a counter or a checksum, which change with every frame by design.
bool holdsReading(const MessageAnatomy& anatomy, int byte)
{
    bool reading = false;
    for (int bit = 0; bit < 8; ++bit) {
        const auto position = static_cast<std::size_t>(byte * 8 + bit);
        if (position >= anatomy.fieldOfPosition.size())
            continue;
        const int field = anatomy.fieldOfPosition[position];
        if (field < 0 || static_cast<std::size_t>(field) >= anatomy.fields.size())
            continue;
        const FieldKind kind = anatomy.fields[static_cast<std::size_t>(field)].kind;
        if (kind == FieldKind::Counter || kind == FieldKind::Checksum)
            return false;
        reading = reading || kind == FieldKind::Value || kind == FieldKind::Enum || kind == FieldKind::Flag;
    }
    return reading;
}

} // namespace

const QColor MessageTableModel::kUpColor { 144, 238, 144 };
const QColor MessageTableModel::kDownColor { 255, 170, 170 };
const QColor MessageTableModel::kBusyColor { 200, 200, 200 };
const QColor MessageTableModel::kUndirectedColor { 255, 225, 140 };
const QString MessageTableModel::kUpMark = QStringLiteral("\u25B2");
const QString MessageTableModel::kDownMark = QStringLiteral("\u25BC");

MessageTableModel::MessageTableModel(MessageTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_clock(&WallClock::exact())
    , m_nowUs(m_clock->nowUs())
{
    m_table.setObserver(this);
    connect(&m_refreshTimer, &QTimer::timeout, this, &MessageTableModel::refresh);
    m_refreshTimer.start(kRefreshIntervalMs);
}

MessageTableModel::~MessageTableModel()
{
    m_table.setObserver(nullptr);
}

void MessageTableModel::setClock(const FramesClock& clock)
{
    m_clock = &clock;
    m_nowUs = m_clock->nowUs();
}

void MessageTableModel::setSuppression(const SuppressionMask* suppression)
{
    m_suppression = suppression;
    suppressionChanged();
}

void MessageTableModel::suppressionChanged()
{
    if (m_shownRows > 0)
        emit dataChanged(index(0, kDataColumn), index(m_shownRows - 1, kDataColumn), { Qt::DisplayRole });
}

int MessageTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int MessageTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant MessageTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_table.hasRow(index.row() + 1))
        return {};
    if (index.column() == kDbcMessageColumn)
        return role == Qt::DisplayRole ? messageNameOfRow(index.row()) : QVariant();
    if (index.column() == kBusColumn) {
        const std::uint8_t bus = m_table.row(index.row() + 1).bus;
        return role == Qt::DisplayRole && bus != 0 ? QVariant(busNameOf(bus)) : QVariant();
    }
    if (index.column() >= kDataColumn) {
        const IdentifierChanges* changes = changesOfRow(index.row());
        return changes != nullptr ? trackedData(*changes, index.column(), role) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const auto column = static_cast<MessageColumn>(index.column());
    const std::string& cell = m_table.cell(index.row() + 1, column);
    // A CAN FD frame's record runs to some 250 characters, far past any column: the cell shows its
    // start, which a line of text lays out at a fraction of the cost, and the tooltip the whole.
    const bool recordColumn
        = column == MessageColumn::Message || column == MessageColumn::Change || column == MessageColumn::Ascii;
    const bool shortened = recordColumn && cell.size() > kShownCharacters;
    if (role == Qt::ToolTipRole)
        return shortened ? QVariant(displayText(cell, column == MessageColumn::Ascii)) : QVariant();
    if (shortened)
        return displayText(std::string_view(cell).substr(0, kShownCharacters - 1), column == MessageColumn::Ascii)
            + QChar(0x2026);
    return displayText(cell, column == MessageColumn::Ascii);
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    switch (section) {
    case kDataColumn:
        return QStringLiteral("Data");
    case kPeriodColumn:
        return QStringLiteral("Period (ms)");
    case kRateColumn:
        return QStringLiteral("Rate (Hz)");
    case kDbcMessageColumn:
        return QStringLiteral("DBC Message");
    case kBusColumn:
        return QStringLiteral("Bus");
    default:
        break;
    }
    const auto title = MessageTable::kColumnTitles[static_cast<std::size_t>(section)];
    return QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
}

void MessageTableModel::setSignalDatabase(const SignalDatabase* database)
{
    m_database = database;
    if (m_shownRows > 0)
        emit dataChanged(index(0, kDbcMessageColumn), index(m_shownRows - 1, kDbcMessageColumn), { Qt::DisplayRole });
}

QVariant MessageTableModel::messageNameOfRow(int row) const
{
    const auto identifier = identifierOfRow(row);
    const MessageDefinition* message
        = m_database != nullptr && identifier ? m_database->message(identifier->id, identifier->extended) : nullptr;
    return message != nullptr ? QVariant(QString::fromStdString(message->name)) : QVariant();
}

std::optional<MessageTableModel::TrackedIdentifier> MessageTableModel::identifierOfRow(int row) const
{
    if (!m_table.hasRow(row + 1))
        return std::nullopt;
    auto identifier = identifierOfKey(m_table.canId(row + 1));
    if (identifier) {
        identifier->bus = m_table.row(row + 1).bus;
        identifier->busName = busNameOf(identifier->bus);
    }
    return identifier;
}

QString MessageTableModel::busNameOf(std::uint8_t bus) const
{
    return m_buses != nullptr && bus != 0 ? QString::fromStdString(m_buses->nameOf(bus)) : QString();
}

const IdentifierChanges* MessageTableModel::changesOfRow(int row) const
{
    if (m_changes == nullptr || !m_table.hasRow(row + 1))
        return nullptr;
    const auto identifier = identifierOfKey(m_table.canId(row + 1));
    return identifier ? m_changes->find(identifier->id, identifier->extended, m_table.row(row + 1).bus) : nullptr;
}

QVariant MessageTableModel::trackedData(const IdentifierChanges& changes, int column, int role) const
{
    if (column == kDataColumn) {
        if (role == Qt::DisplayRole)
            return byteText(changes);
        if (role == Qt::ToolTipRole && changes.length() > CanFrame::kMaxClassicLength)
            return QStringLiteral("%1 bytes\n%2").arg(changes.length()).arg(byteText(changes, kToolTipBytesPerLine));
        if (role == ByteBackgroundsRole)
            return byteBackgrounds(changes);
        if (role == ByteMarksRole)
            return byteMarks(changes);
        return {};
    }
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return oneDecimal(column == kPeriodColumn ? changes.periodMs(m_nowUs) : changes.framesPerSecond(m_nowUs));
}

double MessageTableModel::strengthAt(std::int64_t changedUs) const
{
    if (changedUs == IdentifierChanges::kNever)
        return 0;
    // A change stamped after the shown moment belongs to another clock (a log replayed after a live
    // capture): it is not shown as recent.
    const std::int64_t age = m_nowUs - changedUs;
    if (age < 0 || age >= kFadeUs)
        return 0;
    return 1.0 - static_cast<double>(age) / static_cast<double>(kFadeUs);
}

std::uint8_t MessageTableModel::suppressedBits(const IdentifierChanges& changes, int byte) const
{
    return m_suppression != nullptr ? m_suppression->byteMask(changes.id(), changes.extended(), byte, changes.bus())
                                    : 0;
}

std::int64_t MessageTableModel::lastShownFlipUs(const IdentifierChanges& changes, int byte, std::uint8_t suppressedBits)
{
    std::int64_t lastUs = IdentifierChanges::kNever;
    for (int bit = 0; bit < 8; ++bit) {
        if ((suppressedBits >> bit & 1U) == 0)
            lastUs = std::max(lastUs, changes.bitFlippedUs(byte * 8 + bit));
    }
    return lastUs;
}

const MessageAnatomy* MessageTableModel::anatomyOf(const IdentifierChanges& changes) const
{
    const MessageAnatomy* anatomy = m_anatomy ? m_anatomy(changes.id(), changes.extended(), changes.bus()) : nullptr;
    return anatomy != nullptr && anatomy->proposed ? anatomy : nullptr;
}

MessageTableModel::ByteLook MessageTableModel::byteLook(const IdentifierChanges& changes, int byte,
                                                        const MessageAnatomy* anatomy) const
{
    if (changes.byteDirection(byte) == 0)
        return {};
    const std::uint8_t suppressed = suppressedBits(changes, byte);
    const std::int64_t changedUs = changes.byteChangedUs(byte);
    // Without a suppressed bit in the byte, its last change is the last flip of its bits.
    const std::int64_t shownUs = suppressed == 0 ? changedUs : lastShownFlipUs(changes, byte, suppressed);
    ByteLook look;
    look.strength = strengthAt(shownUs);
    if (look.strength <= 0)
        return {};
    look.direction = shownUs == changedUs ? changes.byteDirection(byte) : 0;
    // The share counts every change of the byte; it greys the byte only while a bit not suppressed
    // moves too, which a painted byte's shown flip, younger than the fade, already says.
    look.busy
        = changes.byteChangeShare(byte, m_nowUs) > kBusyShare && (anatomy == nullptr || !holdsReading(*anatomy, byte));
    return look;
}

QVariantList MessageTableModel::byteBackgrounds(const IdentifierChanges& changes) const
{
    QVariantList colours;
    const MessageAnatomy* anatomy = anatomyOf(changes);
    for (int byte = 0; byte < changes.length(); ++byte) {
        const ByteLook look = byteLook(changes, byte, anatomy);
        if (look.strength <= 0) {
            colours.append(QColor());
            continue;
        }
        QColor colour = look.busy ? kBusyColor
            : look.direction > 0  ? kUpColor
            : look.direction < 0  ? kDownColor
                                  : kUndirectedColor;
        colour.setAlphaF(static_cast<float>(look.strength));
        colours.append(colour);
    }
    return colours;
}

QStringList MessageTableModel::byteMarks(const IdentifierChanges& changes) const
{
    QStringList marks;
    const MessageAnatomy* anatomy = anatomyOf(changes);
    for (int byte = 0; byte < changes.length(); ++byte) {
        // A busy byte's direction tells nothing the grey has not: only a rare change is marked.
        const ByteLook look = byteLook(changes, byte, anatomy);
        const bool marked = look.strength > 0 && !look.busy && look.direction != 0;
        marks.append(!marked ? QString() : look.direction > 0 ? kUpMark : kDownMark);
    }
    return marks;
}

QString MessageTableModel::displayText(std::string_view cell, bool asciiColumn)
{
    QString text = CodePageText::toQString(cell);
    if (!asciiColumn)
        return text;
    for (QChar& character : text) {
        // Controls, C0 and C1 alike (the code page leaves five bytes undefined), have no glyph.
        const char16_t code = character.unicode();
        if (code < 32 || (code >= 127 && code < 160))
            character = kGlyphlessCharacter;
    }
    return text;
}

void MessageTableModel::refresh()
{
    const std::int64_t previousNowUs = std::exchange(m_nowUs, m_clock->nowUs());
    publishNewRows();
    repaintChangedRows(previousNowUs);
}

void MessageTableModel::publishNewRows()
{
    const int rows = m_table.rowCount();
    if (rows <= m_shownRows)
        return;
    // A new row is painted whole when it appears; it needs no repaint of its own.
    for (int position = m_shownRows + 1; position <= rows; ++position)
        m_table.takeModifiedMark(position);
    for (int row = m_shownRows; row < rows; ++row) {
        const IdentifierChanges* changes = changesOfRow(row);
        m_framesShown.push_back(changes != nullptr ? changes->frames() : 0);
    }
    beginInsertRows({}, m_shownRows, rows - 1);
    m_shownRows = rows;
    endInsertRows();
}

bool MessageTableModel::trackedColumnsMoved(int row, std::int64_t previousNowUs)
{
    const IdentifierChanges* changes = changesOfRow(row);
    if (changes == nullptr)
        return false;
    std::uint64_t& framesShown = m_framesShown[static_cast<std::size_t>(row)];
    if (std::exchange(framesShown, changes->frames()) != changes->frames())
        return true;
    // Without a frame the columns move only with the clock, while a fade or the rate's window lasts;
    // the last refresh inside it is followed by one more that shows it over.
    return m_nowUs != previousNowUs && (movesAt(*changes, previousNowUs) || movesAt(*changes, m_nowUs));
}

void MessageTableModel::repaintChangedRows(std::int64_t previousNowUs)
{
    std::vector<std::pair<int, int>> runs; // first and last row index of each run of changed rows
    int modifiedRows = 0;
    for (int position = 1; position <= m_shownRows; ++position) {
        // Both are asked: each clears what it has seen.
        const bool written = m_table.takeModifiedMark(position);
        if (!trackedColumnsMoved(position - 1, previousNowUs) && !written)
            continue;
        ++modifiedRows;
        if (!runs.empty() && runs.back().second == position - 2)
            runs.back().second = position - 1;
        else
            runs.emplace_back(position - 1, position - 1);
    }
    if (runs.empty())
        return;
    const int lastColumn = kColumnCount - 1;
    // When most rows changed, one signal for all is cheaper than one per run.
    if (modifiedRows * 2 > m_shownRows) {
        emit dataChanged(index(0, 0), index(m_shownRows - 1, lastColumn), { Qt::DisplayRole });
        return;
    }
    for (const auto& [first, last] : runs)
        emit dataChanged(index(first, 0), index(last, lastColumn), { Qt::DisplayRole });
}

void MessageTableModel::rowsAboutToBeRemoved(int first, int last)
{
    // Rows not yet shown leave without a word to the view.
    m_rowsBeingRemoved = std::max(0, std::min(last, m_shownRows) - first + 1);
    if (m_rowsBeingRemoved > 0) {
        const auto begin = m_framesShown.begin() + (first - 1);
        m_framesShown.erase(begin, begin + m_rowsBeingRemoved);
        beginRemoveRows({}, first - 1, first - 2 + m_rowsBeingRemoved);
    }
}

void MessageTableModel::rowsRemoved()
{
    if (m_rowsBeingRemoved > 0) {
        m_shownRows -= m_rowsBeingRemoved;
        endRemoveRows();
    }
    m_rowsBeingRemoved = -1;
}

} // namespace vexmoor
