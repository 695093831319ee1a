// Scores the fields proposed for a log's messages against a signal database that describes the same
// vehicle: of the database's signals whose raw value changes in the log, how many are proposed exactly
// (the same bits in the same order: a field within one byte reads the same in either byte order), how
// many counters and checksums are labelled as such, and how many proposed fields that moved cross the
// edge of one of the database's signals.
//
//   vexmoor-anatomy-score LOG DBC [--misses]

#include "capture/formats/DbcReader.h"
#include "capture/formats/LogFeed.h"
#include "capture/ranking/FieldSegmentation.h"
#include "capture/record/RecordText.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace vexmoor;

namespace {

struct Score {
    int changing = 0;
    int exact = 0;
    int countersAndChecksums = 0;
    int labelled = 0;
    int proposedMoving = 0;
    int crossing = 0;
};

std::string readFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::uint16_t> positionsOf(const SignalDefinition& signal)
{
    ProposedField field;
    field.startBit = signal.startBit;
    field.length = signal.length;
    field.byteOrder = signal.byteOrder;
    return field.positions();
}

bool changes(const std::vector<CanFrame>& frames, const std::vector<std::uint16_t>& positions)
{
    std::optional<std::uint64_t> first;
    for (const CanFrame& frame : frames) {
        if (positions.front() / 8u >= frame.dataLength() || positions.back() / 8u >= frame.dataLength())
            continue;
        std::uint64_t value = 0;
        for (const std::uint16_t position : positions)
            value = (value << 1) | ((frame.data[position / 8] >> (position % 8)) & 1u);
        if (first && *first != value)
            return true;
        first = value;
    }
    return false;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string layout(const std::vector<std::uint16_t>& positions, std::uint16_t start, ByteOrder order)
{
    return std::to_string(start) + "|" + std::to_string(positions.size())
        + (order == ByteOrder::BigEndian ? "@0" : "@1");
}

void scoreMessage(const MessageDefinition& message, const std::vector<CanFrame>& frames, ByteOrder tieOrder,
                  Score& score, bool misses)
{
    const MessageAnatomy anatomy = FieldSegmentation::propose(frames, tieOrder);
    std::vector<std::vector<std::uint16_t>> truth;
    for (const SignalDefinition& signal : message.signalDefinitions) {
        if (signal.multiplexRole == MultiplexRole::Multiplexed || signal.startBit / 8u >= anatomy.length)
            continue;
        const std::vector<std::uint16_t> positions = positionsOf(signal);
        truth.push_back(positions);
        if (!changes(frames, positions))
            continue;
        ++score.changing;
        const auto proposed = std::find_if(anatomy.fields.begin(), anatomy.fields.end(),
                                           [&](const ProposedField& field) { return field.positions() == positions; });
        const bool exact = proposed != anatomy.fields.end();
        score.exact += exact;
        const std::string name = upper(signal.name);
        const bool counter = name.find("COUNTER") != std::string::npos;
        const bool checksum = name.find("CHECKSUM") != std::string::npos || name.find("CRC") != std::string::npos;
        if (counter || checksum) {
            ++score.countersAndChecksums;
            const bool labelled = exact && proposed->kind == (counter ? FieldKind::Counter : FieldKind::Checksum);
            score.labelled += labelled;
            if (exact && !labelled && misses)
                std::printf("  %s found as %s\n", signal.name.c_str(),
                            std::string(fieldKindName(proposed->kind)).c_str());
        }
        if (!exact && misses) {
            std::string id;
            record::formatHexId(message.id, message.extended, id);
            std::printf("  miss %s %s %s:", id.c_str(), signal.name.c_str(),
                        layout(positions, signal.startBit, signal.byteOrder).c_str());
            for (const ProposedField& field : anatomy.fields) {
                const auto bits = field.positions();
                if (std::any_of(bits.begin(), bits.end(), [&](std::uint16_t bit) {
                        return std::count(positions.begin(), positions.end(), bit) > 0;
                    }))
                    std::printf(" [%s %s]", layout(bits, field.startBit, field.byteOrder).c_str(),
                                std::string(fieldKindName(field.kind)).c_str());
            }
            std::printf("\n");
        }
    }
    for (const ProposedField& field : anatomy.fields) {
        if (field.kind == FieldKind::Constant)
            continue;
        ++score.proposedMoving;
        const std::vector<std::uint16_t> bits = field.positions();
        const std::set<std::uint16_t> mine(bits.begin(), bits.end());
        score.crossing += std::any_of(truth.begin(), truth.end(), [&](const std::vector<std::uint16_t>& signal) {
            const std::size_t shared = static_cast<std::size_t>(
                std::count_if(signal.begin(), signal.end(), [&](std::uint16_t bit) { return mine.count(bit) > 0; }));
            return shared > 0 && shared < mine.size();
        });
    }
}

double percent(int part, int whole)
{
    return whole == 0 ? 100.0 : 100.0 * part / whole;
}

} // namespace

int main(int argc, char** argv)
{
    constexpr const char* kUsage = "usage: vexmoor-anatomy-score LOG DBC [--misses [ID]]\n";
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::printf("%s\nScores the fields proposed for the log's messages against the DBC file's signals that\n"
                    "change in the log: found exactly, counters and checksums labelled, fields crossing a\n"
                    "signal's edge. --misses lists the signals missed, and with ID (hex) the fields of that\n"
                    "message.\n",
                    kUsage);
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const bool misses = argc > 3 && std::string(argv[3]) == "--misses";
    const long shown = argc > 4 ? std::stol(argv[4], nullptr, 16) : -1;
    std::map<std::pair<std::uint32_t, bool>, std::vector<CanFrame>> frames;
    LogFeed feed(LogFeed::Sink { [&](const CanFrame& frame, std::string_view) {
                                    frames[{ frame.id, frame.extended }].push_back(frame);
                                },
                                 [](std::string) {} });
    feed.feed(readFile(argv[1]));
    feed.finish();
    const DbcReader::Result dbc = DbcReader::read(readFile(argv[2]));
    if (!dbc.database) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    Score score;
    int messages = 0;
    const auto started = std::chrono::steady_clock::now();
    // As the command line does: the byte order most messages of the log show, for those that show none.
    int orderVotes = 0;
    for (const auto& [key, itsFrames] : frames) {
        const int evidence = FieldSegmentation::propose(itsFrames).bigEndianEvidence;
        orderVotes += (evidence > 0) - (evidence < 0);
    }
    const ByteOrder tieOrder = orderVotes > 0 ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
    for (const MessageDefinition& message : dbc.database->messages()) {
        const auto found = frames.find({ message.id, message.extended });
        if (found == frames.end())
            continue;
        ++messages;
        if (message.id == shown) {
            for (const ProposedField& field : FieldSegmentation::propose(found->second, tieOrder).fields)
                std::printf("    %u|%u@%d %s %s\n", field.startBit, field.length,
                            field.byteOrder == ByteOrder::BigEndian ? 0 : 1,
                            std::string(fieldKindName(field.kind)).c_str(), field.detail.c_str());
        }
        scoreMessage(message, found->second, tieOrder, score, misses);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("| messages in both | truth signals that change | found exactly | counters and checksums labelled | "
                "proposed fields that moved | crossing a truth boundary |\n");
    std::printf("| %d | %d | %d (%.1f %%) | %d of %d (%.1f %%) | %d | %d (%.1f %%) |\n", messages, score.changing,
                score.exact, percent(score.exact, score.changing), score.labelled, score.countersAndChecksums,
                percent(score.labelled, score.countersAndChecksums), score.proposedMoving, score.crossing,
                percent(score.crossing, score.proposedMoving));
    std::fprintf(stderr, "segmentation of the scored messages took %.3f s\n", seconds);
    return 0;
}
