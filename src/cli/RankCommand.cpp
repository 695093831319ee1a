#include "cli/RankCommand.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/formats/LogFormat.h"
#include "capture/formats/LogReader.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "capture/record/RecordText.h"
#include "cli/ReplayInput.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>

namespace vexmoor {

RankCommand::RankCommand(std::istream& standardInput, std::ostream& standardOutput, std::ostream& standardError)
    : m_in(standardInput)
    , m_out(standardOutput)
    , m_err(standardError)
{
}

int RankCommand::run(const CommandLine::Options& options)
{
    ChangeTracker tracker;
    BitRanking ranking(tracker);
    // The marks come first, so that every flip is weighed against all of them as it is heard.
    if (const std::string error = takeMarks(options, ranking); !error.empty())
        return CommandLine::fail(m_err, error);

    ReplayInput input(options.source, m_in);
    if (!input.open())
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    std::string head;
    if (!input.read(head, kLogDetectionBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    const LogFormat format = head.empty() ? LogFormat::BoardText : detectLogFormat(head);
    if (format == LogFormat::BoardText)
        return CommandLine::fail(
            m_err,
            "cannot rank " + input.name()
                + ": a board stream has no time stamps to set beside the marks; rank a candump log or a GVRET CSV");
    if (format == LogFormat::Unknown)
        return CommandLine::fail(m_err, "cannot rank " + input.name() + ": it is not a candump log or a GVRET CSV");

    LogReader reader(format, options.interfaceName);
    const LogReader::FrameHandler toTracker
        = [&tracker](const CanFrame& frame, std::string_view) { tracker.observe(frame); };
    reader.feed(head, toTracker);
    std::string chunk;
    for (;;) {
        if (!input.read(chunk, std::size_t { 1 } << 16))
            return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
        if (chunk.empty())
            break;
        reader.feed(chunk, toTracker);
    }
    reader.finish(toTracker);
    if (reader.frames() == 0)
        return CommandLine::fail(
            m_err,
            "cannot rank " + input.name() + ": it holds no frames"
                + (options.interfaceName.empty() ? std::string() : " of interface '" + options.interfaceName + "'"));

    writeRanking(ranking, options);
    if (!m_out.flush())
        return CommandLine::fail(m_err, "cannot write standard output");
    return 0;
}

std::string RankCommand::takeMarks(const CommandLine::Options& options, BitRanking& ranking)
{
    if (options.window) {
        const auto microseconds = [](double seconds) { return static_cast<std::int64_t>(std::llround(seconds * 1e6)); };
        ranking.setWindow(microseconds(options.window->first), microseconds(options.window->second));
    }
    const MarksFile::Parsed marks = MarksFile::read(options.marksPath);
    if (!marks.error.empty())
        return marks.error;
    if (marks.marks.empty())
        return options.marksPath + " holds no marks";
    if (marks.marks.size() > BitRanking::kMaxMarks)
        return options.marksPath + " holds " + std::to_string(marks.marks.size()) + " marks; at most "
            + std::to_string(BitRanking::kMaxMarks) + " are ranked against";
    for (const Mark& mark : marks.marks)
        ranking.addMark(mark.timeUs, mark.note);
    return {};
}

void RankCommand::writeRanking(const BitRanking& ranking, const CommandLine::Options& options)
{
    m_out << "rank,id,byte,bit,marks_hit,changes_elsewhere,score\n";
    const std::vector<RankedBit> ranked
        = ranking.rank(nullptr, options.top.value_or(std::numeric_limits<std::size_t>::max()));
    std::string id;
    char score[32];
    for (std::size_t place = 0; place < ranked.size(); ++place) {
        const RankedBit& bit = ranked[place];
        record::formatHexId(bit.id, bit.extended, id);
        std::snprintf(score, sizeof score, "%.3f", bit.score);
        m_out << place + 1 << ',' << id << ',' << bit.byte << ',' << bit.bit << ',' << bit.marksHit << ','
              << bit.changesElsewhere << ',' << score << '\n';
    }
}

} // namespace vexmoor
