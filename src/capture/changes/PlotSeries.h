#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vexmoor {

// One plotted value over time, as a step: each sample is a time at which the value became what it
// is, and the value holds until the next sample. A bit or a byte changes far less often than its
// frames come, so only changes are stored, with the time of the latest frame beside them: that is
// exact for a step plot (nothing between two changes differs from the first of them) and keeps a
// long log's memory to its changes. The changes live in a ring of fixed capacity: past it the oldest
// go first, and are counted so that the window can say that the start is missing.
class PlotSeries final {
public:
    struct Sample {
        std::int64_t timeUs = 0; // on the frames' clock
        // A double holds every integer up to 2^53 exactly, and a plot draws no finer than that.
        double value = 0;

        bool operator==(const Sample&) const = default;
    };

    // 200,000 changes of 16 bytes: 3.2 MB at most per series, minutes of a value that changes at
    // every frame of a fast identifier, and hours of an ordinary one.
    static constexpr std::size_t kDefaultCapacity = 200'000;

    explicit PlotSeries(std::size_t capacity = kDefaultCapacity);

    // The value a frame carried at a time. Times that go back (a source whose clock was set back, a
    // second log replayed after the first) are taken as the latest time, so that the samples stay
    // in time order and the plot never draws backwards.
    void record(std::int64_t timeUs, double value);
    void clear();

    std::size_t size() const { return m_samples.size(); }
    bool empty() const { return m_samples.empty(); }
    std::size_t capacity() const { return m_capacity; }
    // 0 is the oldest sample kept.
    const Sample& at(std::size_t index) const;
    // The time of the latest frame recorded: the last value holds until then.
    std::optional<std::int64_t> latestUs() const;
    std::optional<std::int64_t> earliestUs() const;
    // Changes pushed out of the ring since the last clear().
    std::uint64_t droppedSamples() const { return m_dropped; }

    // What to draw of [fromUs, toUs] on a given number of pixel columns: the value that holds at
    // fromUs (placed at fromUs) or else the first sample; then per column the lowest, the highest and
    // the last sample, in time order; and the last value again where the recording ends (its latest
    // time, or toUs if that comes first). At most three points a column, however many changes the
    // range holds: a spike of one sample stays as its column's highest or lowest, and the last of a
    // column is kept because it is what holds over the quiet columns after it.
    std::vector<Sample> thinned(std::int64_t fromUs, std::int64_t toUs, int columns) const;

private:
    std::size_t firstAtOrAfter(std::int64_t timeUs) const;
    void append(const Sample& sample);
    void appendColumn(std::size_t begin, std::size_t end, bool keepFirst, std::vector<Sample>& out) const;

    std::size_t m_capacity;
    std::vector<Sample> m_samples; // grows to the capacity, then the ring turns at m_head
    std::size_t m_head = 0; // index of the oldest sample once the ring is full
    std::int64_t m_latestUs = 0;
    std::uint64_t m_dropped = 0;
};

} // namespace vexmoor
