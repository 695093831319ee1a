#include "SwitchInjection.h"

#include "BitInjector.h"
#include "CandumpCapture.h"
#include "PressScheduler.h"
#include "SplitMix64.h"
#include "SteadyBitSurvey.h"

#include "capture/record/RecordText.h"

#include <algorithm>
#include <stdexcept>

namespace vexmoor::inject {

SwitchInjection::Result SwitchInjection::make(std::string_view logText, int presses, SwitchMode mode,
                                              std::uint64_t seed)
{
    const CandumpCapture capture = CandumpCapture::fromText(logText);
    const std::vector<SteadyBitSurvey::Identifier> candidates = SteadyBitSurvey::candidates(capture);
    if (candidates.empty())
        throw std::invalid_argument("no identifier is sent at 5 Hz or more throughout the capture with a bit that "
                                    "never changes");

    tools::SplitMix64 random(seed);
    const SteadyBitSurvey::Identifier& chosen = candidates[random.below(static_cast<unsigned>(candidates.size()))];
    const SteadyBitSurvey::BitPosition bit
        = chosen.steadyBits[random.below(static_cast<unsigned>(chosen.steadyBits.size()))];

    Result result;
    result.target = { chosen.id, chosen.extended, bit.byte, bit.bit };
    PressScheduler scheduler(random, mode);
    // A capture that holds the presses on paper may still lack room once the presses keep clear of
    // its seams and of the identifier's silences: one more copy then.
    for (int copies = copiesToFit(capture, presses); copies <= kMaxCopies; ++copies) {
        const CandumpCapture played = copies == 1 ? capture : capture.repeated(copies);
        const PressScheduler::Room room { played.firstUs(), played.lastUs(), seamsOf(capture, copies) };
        if (auto drawn = scheduler.schedule(presses, room, timesOf(played, result.target))) {
            result.presses = std::move(*drawn);
            result.copies = copies;
            result.log = BitInjector::changedLog(played, result.target, flipTimesOf(result.presses));
            result.marks = marksText(result.presses);
            result.truth = truthText(result.target, mode, presses);
            return result;
        }
    }
    throw std::invalid_argument("found no press times that the chosen identifier shows, even with the capture played "
                                + std::to_string(kMaxCopies) + " times");
}

int SwitchInjection::copiesToFit(const CandumpCapture& capture, int presses)
{
    const std::int64_t periodUs = capture.spanUs() + capture.typicalGapUs();
    const std::int64_t requiredUs = PressScheduler::requiredSpanUs(presses);
    int copies = 1;
    while (copies < kMaxCopies && copies * periodUs - capture.typicalGapUs() < requiredUs)
        ++copies;
    return copies;
}

std::vector<std::int64_t> SwitchInjection::seamsOf(const CandumpCapture& capture, int copies)
{
    // Halfway between the last frame of one copy and the first of the next.
    const std::int64_t periodUs = capture.spanUs() + capture.typicalGapUs();
    std::vector<std::int64_t> seamsUs;
    for (int copy = 1; copy < copies; ++copy)
        seamsUs.push_back(capture.firstUs() + copy * periodUs - capture.typicalGapUs() / 2);
    return seamsUs;
}

std::vector<std::int64_t> SwitchInjection::timesOf(const CandumpCapture& capture, const InjectedBit& target)
{
    std::vector<std::int64_t> timesUs;
    for (const CandumpCapture::Frame& frame : capture.frames()) {
        if (frame.frame.id == target.id && frame.frame.extended == target.extended)
            timesUs.push_back(frame.frame.timestampUs);
    }
    std::sort(timesUs.begin(), timesUs.end());
    return timesUs;
}

std::vector<std::int64_t> SwitchInjection::flipTimesOf(const std::vector<SwitchPress>& presses)
{
    std::vector<std::int64_t> flipTimesUs;
    for (const SwitchPress& press : presses) {
        flipTimesUs.push_back(press.changeUs);
        if (press.releaseUs)
            flipTimesUs.push_back(*press.releaseUs);
    }
    return flipTimesUs;
}

std::string SwitchInjection::marksText(const std::vector<SwitchPress>& presses)
{
    std::string text;
    for (const SwitchPress& press : presses) {
        text += CandumpCapture::secondsText(press.markUs);
        text += '\n';
    }
    return text;
}

std::string SwitchInjection::truthText(const InjectedBit& target, SwitchMode mode, int presses)
{
    std::string hexId;
    record::formatHexId(target.id, target.extended, hexId);
    return "id,byte,bit,mode,presses\n" + hexId + "," + std::to_string(target.byte) + "," + std::to_string(target.bit)
        + "," + (mode == SwitchMode::Toggle ? "toggle" : "held") + "," + std::to_string(presses) + "\n";
}

} // namespace vexmoor::inject
