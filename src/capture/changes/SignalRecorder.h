#pragma once

#include "capture/changes/PlotSeries.h"
#include "capture/changes/PlotSignal.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vexmoor {

class FrameHistory;

// The values the user plots and what each did over time. Ingestion hands it every frame with an
// identifier, ten thousand and more a second, so a frame of an identifier that nothing plots costs
// one bit test (standard) or a search of a few entries (extended) and nothing else.
class SignalRecorder final {
public:
    // Past this many the plot is no longer readable, and the memory of their rings adds up.
    static constexpr std::size_t kMaxSignals = 16;

    enum class AddOutcome { Added, Invalid, AlreadyPlotted, Full };
    // One line for the user on why a signal was not added; empty for Added.
    static std::string_view describe(AddOutcome outcome);

    explicit SignalRecorder(std::size_t seriesCapacity = PlotSeries::kDefaultCapacity);

    void observe(const CanFrame& frame);
    // Where a value added later finds what it did before; nullptr: it starts from the next frame.
    void setHistory(const FrameHistory* history) { m_history = history; }

    // A value added is filled at once from the history, as far back as it reaches.
    AddOutcome add(const PlotSignal& signal);
    // Nothing happens past count().
    void remove(std::size_t index);
    // Forgets every sample and the time origin, keeping the signals: the table was cleared.
    void clear();

    // In the order they were added.
    std::size_t count() const { return m_plots.size(); }
    const PlotSignal& plotSignal(std::size_t index) const { return m_plots.at(index).signal; }
    const PlotSeries& series(std::size_t index) const { return m_plots.at(index).series; }
    // The time of the earliest value recorded since the start or the last clear(): the plot's zero.
    std::optional<std::int64_t> originUs() const { return m_originUs; }
    // Changes with every sample, signal added or removed and clear(): what a view compares to know
    // whether to draw again.
    std::uint64_t revision() const { return m_revision; }

private:
    struct Plot {
        PlotSignal signal;
        PlotSeries series;
    };

    bool isPlotted(const CanFrame& frame) const;
    void fillFromHistory(Plot& plot);
    void rebuildIdentifiers();

    std::size_t m_seriesCapacity;
    const FrameHistory* m_history = nullptr;
    std::vector<Plot> m_plots;
    std::bitset<CanFrame::kMaxStandardId + 1> m_standardIds;
    std::vector<std::uint32_t> m_extendedIds; // sorted
    std::optional<std::int64_t> m_originUs;
    std::uint64_t m_revision = 0;
};

} // namespace vexmoor
