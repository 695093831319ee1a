#include "SplitMix64.h"

namespace vexmoor::tools {

std::uint64_t SplitMix64::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

unsigned SplitMix64::below(unsigned bound)
{
    return static_cast<unsigned>(next() % bound);
}

} // namespace vexmoor::tools
