#pragma once

#include <cstdint>

namespace vexmoor::tools {

// splitmix64: a small, fast random source that gives the same numbers for a seed on every machine,
// so that a generated stream is the same everywhere.
class SplitMix64 final {
public:
    explicit SplitMix64(std::uint64_t seed)
        : m_state(seed)
    {
    }

    std::uint64_t next();
    // A number from 0 to bound - 1.
    unsigned below(unsigned bound);

private:
    std::uint64_t m_state;
};

} // namespace vexmoor::tools
