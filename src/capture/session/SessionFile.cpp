#include "capture/session/SessionFile.h"

#include "capture/formats/DbcReader.h"
#include "capture/record/DecimalText.h"
#include "capture/record/HexText.h"
#include "capture/record/Windows1252.h"

#include <limits>

#include <array>
#include <charconv>

namespace vexmoor {

namespace {

// A value of the wrong kind, or a key the file needs that it lacks, on a line of the file.
struct Refusal {
    int line;
    std::string what;
};

const JsonValue& expectKind(const JsonValue& value, std::string_view key, JsonValue::Kind kind)
{
    static constexpr std::array kNames { "null", "true or false", "a number", "text", "a list", "an object" };
    if (value.kind() != kind)
        throw Refusal { value.line(),
                        "\"" + std::string(key) + "\" should be " + kNames[static_cast<std::size_t>(kind)] };
    return value;
}

std::string textOf(const JsonValue& value, std::string_view key)
{
    return expectKind(value, key, JsonValue::Kind::String).text();
}

std::int64_t integerOf(const JsonValue& value, std::string_view key)
{
    expectKind(value, key, JsonValue::Kind::Number);
    const std::optional<std::int64_t> number = value.integerValue();
    if (!number)
        throw Refusal { value.line(), "\"" + std::string(key) + "\" should be a whole number" };
    return *number;
}

// Text that the table and the ignore lists hold in Windows-1252, as the board's line brings it.
std::string codePageTextOf(const JsonValue& value, std::string_view key)
{
    std::string text = textOf(value, key);
    if (!windows1252::fromUtf8(text))
        throw Refusal { value.line(), "\"" + std::string(key) + "\" holds a character that Windows-1252 lacks" };
    return text;
}

// "2A8" or "000007DF", as the table's CAN_ID column writes an identifier.
std::string canIdOf(const JsonValue& value, std::string_view key)
{
    std::string text = textOf(value, key);
    std::uint32_t id = 0;
    if (!hex::readNumber(text, id))
        throw Refusal { value.line(), "\"" + std::string(key) + "\" should be an identifier in hexadecimal" };
    return text;
}

const JsonValue& member(const JsonValue& object, std::string_view key)
{
    const JsonValue* found = object.find(key);
    if (found == nullptr)
        throw Refusal { object.line(), "\"" + std::string(key) + "\" is missing" };
    return *found;
}

void readOptions(const JsonValue& value, SessionState::Options& options)
{
    expectKind(value, "options", JsonValue::Kind::Object);
    const std::pair<const char*, std::string*> boxes[] = {
        { "poll_interval_ms", &options.pollIntervalMs },
        { "purge_interval_ms", &options.purgeIntervalMs },
        { "reset_interval_ms", &options.resetIntervalMs },
        { "auto_filter_threshold", &options.autoFilterThreshold },
        { "minimum_id", &options.minimumId },
    };
    for (const auto& [key, box] : boxes) {
        if (const JsonValue* found = value.find(key))
            *box = codePageTextOf(*found, key);
    }
    // An interval is set on a timer at once: one that the Options window would refuse is refused here.
    const std::pair<const char*, const std::string*> intervals[]
        = { { "poll_interval_ms", &options.pollIntervalMs },
            { "purge_interval_ms", &options.purgeIntervalMs },
            { "reset_interval_ms", &options.resetIntervalMs } };
    for (const auto& [key, interval] : intervals) {
        const auto read = decimal::readWholeNumberSetting(*interval, 0, std::numeric_limits<int>::max());
        if (!interval->empty() && read.status != decimal::WholeNumberSetting::Status::Valid)
            throw Refusal { value.find(key)->line(),
                            "\"" + std::string(key)
                                + "\" should be a whole number of milliseconds from 0 to 2147483647" };
    }
}

std::vector<std::string> textsOf(const JsonValue& value, std::string_view key)
{
    std::vector<std::string> texts;
    for (const JsonValue& item : expectKind(value, key, JsonValue::Kind::Array).items())
        texts.push_back(codePageTextOf(item, key));
    return texts;
}

// The database the session carries must read, or the session would open without its signals.
SessionState::Dbc dbcOf(const JsonValue& value)
{
    expectKind(value, "dbc", JsonValue::Kind::Object);
    const JsonValue& text = member(value, "text");
    const JsonValue* path = value.find("path");
    SessionState::Dbc dbc { textOf(text, "text"), path ? textOf(*path, "path") : "" };
    const DbcReader::Result read = DbcReader::read(dbc.text);
    if (!read.database)
        throw Refusal { text.line(), "the DBC text in \"dbc\" has an error: " + read.error.text() };
    return dbc;
}

const std::vector<JsonValue>& objectsOf(const JsonValue& value, std::string_view key)
{
    for (const JsonValue& item : expectKind(value, key, JsonValue::Kind::Array).items())
        expectKind(item, key, JsonValue::Kind::Object);
    return value.items();
}

// Up to 16 digits: the first 64 bits. A CAN FD identifier's further bits follow, 16 digits for each
// 64, so that a classic identifier's mask reads as it always did.
SessionState::MaskedBits::Words bitsOf(const JsonValue& value)
{
    constexpr std::size_t kWordDigits = 16;
    const std::string text = textOf(value, "bits");
    SessionState::MaskedBits::Words words {};
    const bool whole = text.size() <= kWordDigits || text.size() % kWordDigits == 0;
    bool valid = !text.empty() && whole && text.size() <= kWordDigits * words.size();
    for (std::size_t word = 0; valid && word * kWordDigits < text.size(); ++word) {
        const char* first = text.data() + word * kWordDigits;
        const char* last = first + std::min(kWordDigits, text.size() - word * kWordDigits);
        const auto [end, error] = std::from_chars(first, last, words[word], 16);
        valid = error == std::errc() && end == last;
    }
    if (!valid)
        throw Refusal { value.line(),
                        "\"bits\" should be up to 16 hexadecimal digits, and 16 more for each further 64 bits of a "
                        "CAN FD frame" };
    return words;
}

// The bus of an entry while rows are kept per bus; none written for a row of every bus.
std::string busOf(const JsonValue& entry)
{
    const JsonValue* bus = entry.find("bus");
    return bus != nullptr ? textOf(*bus, "bus") : std::string();
}

void readSuppression(const JsonValue& value, SessionState& state)
{
    expectKind(value, "suppression", JsonValue::Kind::Object);
    if (const JsonValue* window = value.find("window_us"))
        state.suppressionWindowUs = integerOf(*window, "window_us");
    if (const JsonValue* masks = value.find("bits"))
        for (const JsonValue& mask : objectsOf(*masks, "bits"))
            state.suppressed.push_back(
                { canIdOf(member(mask, "id"), "id"), bitsOf(member(mask, "bits")), busOf(mask) });
}

SessionState::PlotEntry plotEntryOf(const JsonValue& value)
{
    SessionState::PlotEntry entry;
    entry.canId = canIdOf(member(value, "id"), "id");
    entry.bus = busOf(value);
    if (const JsonValue* signal = value.find("signal")) {
        entry.message = textOf(member(value, "message"), "message");
        entry.signal = textOf(*signal, "signal");
        return entry;
    }
    entry.byte = static_cast<int>(integerOf(member(value, "byte"), "byte"));
    if (const JsonValue* bit = value.find("bit"))
        entry.bit = static_cast<int>(integerOf(*bit, "bit"));
    if (const JsonValue* count = value.find("count"))
        entry.byteCount = static_cast<int>(integerOf(*count, "count"));
    if (const JsonValue* order = value.find("order"))
        entry.littleEndian = textOf(*order, "order") == "little-endian";
    return entry;
}

void readMember(const std::string& key, const JsonValue& value, SessionState& state)
{
    if (key == "options") {
        readOptions(value, state.options);
    } else if (key == "ignored_ids") {
        state.ignoredIds = textsOf(value, key);
    } else if (key == "ignored_messages") {
        state.ignoredMessages = textsOf(value, key);
    } else if (key == "names") {
        for (const JsonValue& name : objectsOf(value, key))
            state.names.push_back(
                { canIdOf(member(name, "id"), "id"), codePageTextOf(member(name, "name"), "name"), busOf(name) });
    } else if (key == "suppression") {
        readSuppression(value, state);
    } else if (key == "ranking_window") {
        expectKind(value, key, JsonValue::Kind::Object);
        state.rankingBeforeUs = integerOf(member(value, "before_us"), "before_us");
        state.rankingAfterUs = integerOf(member(value, "after_us"), "after_us");
    } else if (key == "marks") {
        for (const JsonValue& mark : objectsOf(value, key)) {
            const JsonValue* note = mark.find("note");
            state.marks.push_back({ integerOf(member(mark, "time_us"), "time_us"), note ? textOf(*note, "note") : "" });
        }
    } else if (key == "dbc") {
        if (value.kind() == JsonValue::Kind::Null)
            return;
        state.dbc = dbcOf(value);
    } else if (key == "dbc_bus") {
        state.dbcBus = textOf(value, key);
    } else if (key == "rows_per_bus") {
        state.rowsPerBus = expectKind(value, key, JsonValue::Kind::Boolean).booleanValue();
    } else if (key == "plotted") {
        for (const JsonValue& entry : objectsOf(value, key))
            state.plotted.push_back(plotEntryOf(entry));
    } else if (key == "hidden_columns") {
        state.hiddenColumns = textsOf(value, key);
    } else if (key == "window") {
        expectKind(value, key, JsonValue::Kind::Object);
        if (const JsonValue* geometry = value.find("geometry"))
            state.windowGeometry = textOf(*geometry, "geometry");
        if (const JsonValue* docks = value.find("state"))
            state.windowState = textOf(*docks, "state");
    } else if (key == "last_source") {
        state.lastSource = textOf(value, key);
    } else if (key == "last_log") {
        state.lastLog = textOf(value, key);
    } else if (key != "format" && key != "version") {
        state.unknown.emplace_back(key, value);
    }
}

JsonValue objectOf(std::vector<JsonValue::Member> members)
{
    return JsonValue::object(std::move(members));
}

JsonValue textsValue(const std::vector<std::string>& texts)
{
    JsonValue list = JsonValue::array();
    for (const std::string& text : texts)
        list.append(JsonValue::string(text));
    return list;
}

// An entry's id, with its bus after it while rows are kept per bus.
JsonValue entryOf(const std::string& canId, const std::string& bus)
{
    JsonValue value = objectOf({ { "id", JsonValue::string(canId) } });
    if (!bus.empty())
        value.add("bus", JsonValue::string(bus));
    return value;
}

JsonValue plotEntryValue(const SessionState::PlotEntry& entry)
{
    JsonValue value = entryOf(entry.canId, entry.bus);
    if (!entry.signal.empty()) {
        value.add("message", JsonValue::string(entry.message));
        value.add("signal", JsonValue::string(entry.signal));
        return value;
    }
    value.add("byte", JsonValue::number(entry.byte));
    if (entry.bit) {
        value.add("bit", JsonValue::number(*entry.bit));
        return value;
    }
    value.add("count", JsonValue::number(entry.byteCount));
    value.add("order", JsonValue::string(entry.littleEndian ? "little-endian" : "big-endian"));
    return value;
}

std::string hexBits(const SessionState::MaskedBits::Words& words)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::size_t used = 1;
    for (std::size_t word = 1; word < words.size(); ++word) {
        if (words[word] != 0)
            used = word + 1;
    }
    std::string text;
    for (std::size_t word = 0; word < used; ++word) {
        std::string digits(16, '0');
        std::uint64_t bits = words[word];
        for (std::size_t index = 16; index-- > 0; bits >>= 4)
            digits[index] = kDigits[bits & 0xF];
        text += digits;
    }
    return text;
}

} // namespace

std::variant<SessionState, SessionFile::Error> SessionFile::read(std::string_view text)
{
    try {
        const JsonValue document = JsonValue::parse(text);
        expectKind(document, "the file", JsonValue::Kind::Object);
        const JsonValue& format = member(document, "format");
        if (textOf(format, "format") != kFormat)
            return Error { format.line(), "\"format\" should be \"vexmoor-session\": this is no session file" };
        const JsonValue& version = member(document, "version");
        if (integerOf(version, "version") > kVersion)
            return Error { version.line(),
                           "version " + version.text() + " comes from a later Vexmoor; this one reads version 1" };
        SessionState state;
        for (const auto& [key, value] : document.members())
            readMember(key, value, state);
        return state;
    } catch (const JsonValue::SyntaxError& error) {
        return Error { error.line, error.what() };
    } catch (const Refusal& refusal) {
        return Error { refusal.line, refusal.what };
    }
}

std::string SessionFile::write(const SessionState& state)
{
    const SessionState::Options& options = state.options;
    JsonValue document = objectOf({
        { "format", JsonValue::string(std::string(kFormat)) },
        { "version", JsonValue::number(kVersion) },
        { "options",
          objectOf({ { "poll_interval_ms", JsonValue::string(options.pollIntervalMs) },
                     { "purge_interval_ms", JsonValue::string(options.purgeIntervalMs) },
                     { "reset_interval_ms", JsonValue::string(options.resetIntervalMs) },
                     { "auto_filter_threshold", JsonValue::string(options.autoFilterThreshold) },
                     { "minimum_id", JsonValue::string(options.minimumId) } }) },
        { "ignored_ids", textsValue(state.ignoredIds) },
        { "ignored_messages", textsValue(state.ignoredMessages) },
    });
    JsonValue names = JsonValue::array();
    for (const SessionState::Name& name : state.names) {
        JsonValue entry = entryOf(name.canId, name.bus);
        entry.add("name", JsonValue::string(name.name));
        names.append(std::move(entry));
    }
    document.add("names", std::move(names));
    JsonValue masks = JsonValue::array();
    for (const SessionState::MaskedBits& mask : state.suppressed) {
        JsonValue entry = entryOf(mask.canId, mask.bus);
        entry.add("bits", JsonValue::string(hexBits(mask.words)));
        masks.append(std::move(entry));
    }
    document.add(
        "suppression",
        objectOf({ { "window_us", JsonValue::number(state.suppressionWindowUs) }, { "bits", std::move(masks) } }));
    JsonValue marks = JsonValue::array();
    for (const Mark& mark : state.marks)
        marks.append(
            objectOf({ { "time_us", JsonValue::number(mark.timeUs) }, { "note", JsonValue::string(mark.note) } }));
    document.add("marks", std::move(marks));
    document.add("ranking_window",
                 objectOf({ { "before_us", JsonValue::number(state.rankingBeforeUs) },
                            { "after_us", JsonValue::number(state.rankingAfterUs) } }));
    document.add("dbc",
                 state.dbc ? objectOf(
                     { { "path", JsonValue::string(state.dbc->path) }, { "text", JsonValue::string(state.dbc->text) } })
                           : JsonValue());
    // Written only when set, so that a session of one bus reads as before.
    if (!state.dbcBus.empty())
        document.add("dbc_bus", JsonValue::string(state.dbcBus));
    if (state.rowsPerBus)
        document.add("rows_per_bus", JsonValue::boolean(true));
    JsonValue plotted = JsonValue::array();
    for (const SessionState::PlotEntry& entry : state.plotted)
        plotted.append(plotEntryValue(entry));
    document.add("plotted", std::move(plotted));
    document.add("hidden_columns", textsValue(state.hiddenColumns));
    document.add("window",
                 objectOf({ { "geometry", JsonValue::string(state.windowGeometry) },
                            { "state", JsonValue::string(state.windowState) } }));
    document.add("last_source", JsonValue::string(state.lastSource));
    document.add("last_log", JsonValue::string(state.lastLog));
    for (const auto& [key, value] : state.unknown)
        document.add(key, value);
    return document.write();
}

} // namespace vexmoor
