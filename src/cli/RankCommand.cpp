#include "cli/RankCommand.h"

#include "capture/formats/LogFeed.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/RecordText.h"
#include "capture/record/SystemTimeOfDay.h"
#include "capture/session/SessionItems.h"
#include "cli/HeadlessSession.h"
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
    // A session whose ranking hears its tracker. The ranking asks nothing of the table, so the frames
    // go to the tracker alone: building rows no one reads would take most of the time.
    SystemTimeOfDay clock;
    CaptureSession session(clock);
    HeadlessSession headless;
    if (std::string error; !headless.load(options, error))
        return CommandLine::fail(m_err, error);
    headless.applyTo(session, options);
    // The marks come first, so that every flip is weighed against all of them as it is heard.
    if (const std::string error = takeMarks(options, headless, session.ranking()); !error.empty())
        return CommandLine::fail(m_err, error);

    ReplayInput input(options.source, m_in);
    if (!input.open())
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    LogFeed feed(LogFeed::Sink { [&session](const CanFrame& frame, std::string_view interfaceName) {
                                    if (!session.rowsPerBus()) {
                                        session.changes().observe(frame);
                                        return;
                                    }
                                    CanFrame onItsBus = frame;
                                    onItsBus.bus = session.busOf(interfaceName);
                                    session.changes().observe(onItsBus);
                                },
                                 [](std::string) {} },
                 options.interfaceName);
    constexpr std::size_t kReadBytes = std::size_t { 1 } << 16;
    if (!input.feedUntilDecided(feed, kReadBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    if (feed.format() == LogFormat::BoardText)
        return CommandLine::fail(
            m_err,
            "cannot rank " + input.name()
                + ": a board stream has no time stamps to set beside the marks; rank a candump log or a GVRET CSV");
    if (feed.format() == LogFormat::Unknown)
        return CommandLine::fail(m_err, "cannot rank " + input.name() + ": it is not a candump log or a GVRET CSV");

    if (!input.feedToEnd(feed, kReadBytes))
        return CommandLine::fail(m_err, "cannot read " + input.name() + ": " + input.reason());
    if (feed.frames() == 0)
        return CommandLine::fail(
            m_err,
            "cannot rank " + input.name() + ": it holds no frames"
                + (options.interfaceName.empty() ? std::string() : " of interface '" + options.interfaceName + "'"));

    // The bits the session set aside are left out, as the Candidates panel leaves them out.
    const SuppressionMask suppressed = SessionItems::suppressionOf(headless.state(), session.ingestion().buses());
    writeRanking(session.ranking(), suppressed, session.rowsPerBus() ? &session.ingestion().buses() : nullptr, options);
    if (!m_out.flush())
        return CommandLine::fail(m_err, "cannot write standard output");
    if (const std::string error = headless.save(options, session, &session.ranking()); !error.empty())
        return CommandLine::fail(m_err, error);
    return 0;
}

std::string RankCommand::takeMarks(const CommandLine::Options& options, const HeadlessSession& headless,
                                   BitRanking& ranking)
{
    // The command line's window and marks win over the session's.
    if (options.window) {
        const auto microseconds = [](double seconds) { return static_cast<std::int64_t>(std::llround(seconds * 1e6)); };
        ranking.setWindow(microseconds(options.window->first), microseconds(options.window->second));
    } else {
        ranking.setWindow(headless.state().rankingBeforeUs, headless.state().rankingAfterUs);
    }
    if (options.marksPath.empty()) {
        if (!headless.hasMarks())
            return "'" + options.sessionPath + "' holds no marks to rank against: give --marks FILE";
        for (const Mark& mark : headless.state().marks)
            ranking.addMark(mark.timeUs, mark.note);
        return {};
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

void RankCommand::writeRanking(const BitRanking& ranking, const SuppressionMask& suppressed, const BusNames* buses,
                               const CommandLine::Options& options)
{
    m_out << (buses != nullptr ? "rank,bus,id,byte,bit,marks_hit,changes_elsewhere,score\n"
                               : "rank,id,byte,bit,marks_hit,changes_elsewhere,score\n");
    std::string bus;
    const std::vector<RankedBit> ranked
        = ranking.rank(&suppressed, options.top.value_or(std::numeric_limits<std::size_t>::max()));
    std::string id;
    char score[32];
    for (std::size_t place = 0; place < ranked.size(); ++place) {
        const RankedBit& bit = ranked[place];
        record::formatHexId(bit.id, bit.extended, id);
        std::snprintf(score, sizeof score, "%.3f", bit.score);
        m_out << place + 1 << ',';
        if (buses != nullptr) {
            bus.clear();
            TableCsvWriter::appendUtf8Field(buses->nameOf(bit.bus), bus);
            m_out << bus << ',';
        }
        m_out << id << ',' << bit.byte << ',' << bit.bit << ',' << bit.marksHit << ',' << bit.changesElsewhere << ','
              << score << '\n';
    }
}

} // namespace vexmoor
