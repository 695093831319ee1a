#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexmoor {

// The buses frames came from, numbered as they first came, so that a frame carries its bus as a small
// number. Number 0 is no bus: every frame's while rows are not kept per bus, and what comes past the
// last number there is room for.
class BusNames final {
public:
    static constexpr std::size_t kMaxBuses = 255;

    // The bus's number, given one when it is new; an empty name is a bus of its own too.
    std::uint8_t numberOf(std::string_view name);
    // The name of a numbered bus; empty for 0 or a number not given.
    const std::string& nameOf(std::uint8_t number) const;
    // The number of a bus seen before, or 0.
    std::uint8_t find(std::string_view name) const;
    std::size_t size() const { return m_names.size(); }
    // The bus keeps its number under another name; nothing when the old name was never seen or the
    // new one is another bus's.
    void rename(std::string_view from, std::string_view to);

private:
    std::vector<std::string> m_names;
    // The last bus asked for: a stream of frames seldom changes bus.
    std::size_t m_last = 0;
};

} // namespace vexmoor
