#include "capture/changes/PlotSeries.h"

#include <algorithm>

namespace vexmoor {

PlotSeries::PlotSeries(std::size_t capacity)
    : m_capacity(std::max<std::size_t>(capacity, 1))
{
}

void PlotSeries::record(std::int64_t timeUs, double value)
{
    if (!empty()) {
        timeUs = std::max(timeUs, m_latestUs);
        m_latestUs = timeUs;
        if (at(size() - 1).value == value)
            return;
    }
    m_latestUs = timeUs;
    append({ timeUs, value });
}

void PlotSeries::clear()
{
    // The ring's memory goes with its samples: a cleared plot of a long log should not keep megabytes.
    std::vector<Sample>().swap(m_samples);
    m_head = 0;
    m_latestUs = 0;
    m_dropped = 0;
}

const PlotSeries::Sample& PlotSeries::at(std::size_t index) const
{
    return m_samples[(m_head + index) % m_samples.size()];
}

std::optional<std::int64_t> PlotSeries::latestUs() const
{
    return empty() ? std::nullopt : std::optional(m_latestUs);
}

std::optional<std::int64_t> PlotSeries::earliestUs() const
{
    return empty() ? std::nullopt : std::optional(at(0).timeUs);
}

void PlotSeries::append(const Sample& sample)
{
    if (m_samples.size() < m_capacity) {
        m_samples.push_back(sample);
        return;
    }
    m_samples[m_head] = sample;
    m_head = (m_head + 1) % m_capacity;
    ++m_dropped;
}

std::size_t PlotSeries::firstAtOrAfter(std::int64_t timeUs) const
{
    std::size_t low = 0;
    std::size_t high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (at(middle).timeUs < timeUs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::vector<PlotSeries::Sample> PlotSeries::thinned(std::int64_t fromUs, std::int64_t toUs, int columns) const
{
    std::vector<Sample> out;
    if (empty() || toUs < fromUs || fromUs > m_latestUs || toUs < at(0).timeUs)
        return out;
    columns = std::max(columns, 1);
    const std::size_t begin = firstAtOrAfter(fromUs);
    const std::size_t end = toUs >= m_latestUs ? size() : firstAtOrAfter(toUs + 1);
    if (begin > 0)
        out.push_back({ fromUs, at(begin - 1).value });

    const double span = static_cast<double>(toUs - fromUs) + 1.0;
    auto columnOf = [&](std::size_t index) {
        return static_cast<int>(static_cast<double>(at(index).timeUs - fromUs) / span * columns);
    };
    std::size_t columnBegin = begin;
    while (columnBegin < end) {
        const int column = columnOf(columnBegin);
        std::size_t columnEnd = columnBegin + 1;
        while (columnEnd < end && columnOf(columnEnd) == column)
            ++columnEnd;
        // Where no earlier value holds into the range, the first sample is where the line starts.
        appendColumn(columnBegin, columnEnd, columnBegin == 0, out);
        columnBegin = columnEnd;
    }

    const std::int64_t endUs = std::min(toUs, m_latestUs);
    if (!out.empty() && out.back().timeUs < endUs)
        out.push_back({ endUs, out.back().value });
    return out;
}

void PlotSeries::appendColumn(std::size_t begin, std::size_t end, bool keepFirst, std::vector<Sample>& out) const
{
    std::size_t lowest = begin;
    std::size_t highest = begin;
    for (std::size_t index = begin + 1; index < end; ++index) {
        if (at(index).value < at(lowest).value)
            lowest = index;
        if (at(index).value > at(highest).value)
            highest = index;
    }
    std::size_t kept[] = { keepFirst ? begin : lowest, lowest, highest, end - 1 };
    std::sort(std::begin(kept), std::end(kept));
    const std::size_t* last = std::unique(std::begin(kept), std::end(kept));
    for (const std::size_t* index = std::begin(kept); index != last; ++index)
        out.push_back(at(*index));
}

} // namespace vexmoor
