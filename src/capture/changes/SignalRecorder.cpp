#include "capture/changes/SignalRecorder.h"

#include "capture/changes/FrameHistory.h"
#include "capture/record/CanFrame.h"

#include <algorithm>

namespace vexmoor {

std::string_view SignalRecorder::describe(AddOutcome outcome)
{
    switch (outcome) {
    case AddOutcome::Added:
        return {};
    case AddOutcome::Invalid:
        return "The bytes or the bit lie outside a frame's eight bytes.";
    case AddOutcome::AlreadyPlotted:
        return "That value is already plotted.";
    case AddOutcome::Full:
        return "At most 16 values can be plotted at once; remove one first.";
    }
    return {};
}

SignalRecorder::SignalRecorder(std::size_t seriesCapacity)
    : m_seriesCapacity(seriesCapacity)
{
}

void SignalRecorder::observe(const CanFrame& frame)
{
    if (!isPlotted(frame))
        return;
    for (Plot& plot : m_plots) {
        if (!plot.signal.matches(frame))
            continue;
        const std::optional<double> value = plot.signal.plotValueIn(frame);
        if (!value)
            continue;
        if (!m_originUs)
            m_originUs = frame.timestampUs;
        plot.series.record(frame.timestampUs, *value);
        ++m_revision;
    }
}

bool SignalRecorder::isPlotted(const CanFrame& frame) const
{
    if (!frame.extended)
        return frame.id <= CanFrame::kMaxStandardId && m_standardIds.test(frame.id);
    return std::binary_search(m_extendedIds.begin(), m_extendedIds.end(), frame.id);
}

void SignalRecorder::fillFromHistory(Plot& plot)
{
    if (m_history == nullptr)
        return;
    m_history->forEachFrame(
        plot.signal.id, plot.signal.extended,
        [&plot](const CanFrame& frame) {
            if (const std::optional<double> value = plot.signal.plotValueIn(frame))
                plot.series.record(frame.timestampUs, *value);
        },
        plot.signal.bus);
    // A past that reaches before the plot's zero moves the zero back to it.
    if (const std::optional<std::int64_t> earliest = plot.series.earliestUs())
        m_originUs = std::min(m_originUs.value_or(*earliest), *earliest);
}

SignalRecorder::AddOutcome SignalRecorder::add(const PlotSignal& signal)
{
    const bool standardOutOfRange = !signal.extended && signal.id > CanFrame::kMaxStandardId;
    if (!signal.valid() || standardOutOfRange || signal.id > CanFrame::kMaxExtendedId)
        return AddOutcome::Invalid;
    if (std::any_of(m_plots.begin(), m_plots.end(), [&](const Plot& plot) { return plot.signal == signal; }))
        return AddOutcome::AlreadyPlotted;
    if (m_plots.size() >= kMaxSignals)
        return AddOutcome::Full;
    m_plots.push_back({ signal, PlotSeries(m_seriesCapacity) });
    fillFromHistory(m_plots.back());
    rebuildIdentifiers();
    ++m_revision;
    return AddOutcome::Added;
}

void SignalRecorder::remove(std::size_t index)
{
    if (index >= m_plots.size())
        return;
    m_plots.erase(m_plots.begin() + static_cast<std::ptrdiff_t>(index));
    rebuildIdentifiers();
    ++m_revision;
}

void SignalRecorder::clear()
{
    for (Plot& plot : m_plots)
        plot.series.clear();
    m_originUs.reset();
    ++m_revision;
}

void SignalRecorder::rebuildIdentifiers()
{
    m_standardIds.reset();
    m_extendedIds.clear();
    for (const Plot& plot : m_plots) {
        if (plot.signal.extended)
            m_extendedIds.push_back(plot.signal.id);
        else
            m_standardIds.set(plot.signal.id);
    }
    std::sort(m_extendedIds.begin(), m_extendedIds.end());
    m_extendedIds.erase(std::unique(m_extendedIds.begin(), m_extendedIds.end()), m_extendedIds.end());
}

} // namespace vexmoor
