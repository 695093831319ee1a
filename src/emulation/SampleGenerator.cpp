#include "emulation/SampleGenerator.h"

#include "emulation/RandomSource.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace vexmoor {

std::int16_t RandomBetween(RandomSource& random, std::int16_t lower, std::int16_t upper)
{
    const double draw = random.next();
    // The span and the span plus one are 16-bit values too.
    const int span = upper - lower;
    if (span < INT16_MIN || span + 1 > INT16_MAX)
        throw std::overflow_error("RandomBetween: the span of the bounds overflows 16 bits");
    double value = std::floor((span + 1) * draw + lower);
    // A draw just below 1 can round the sum up onto upper + 1; that value lies outside the range.
    if (value > upper)
        value = upper;
    if (value < INT16_MIN || value > INT16_MAX)
        throw std::overflow_error("RandomBetween: the result overflows 16 bits");
    return static_cast<std::int16_t>(value);
}

const SampleGenerator::RecordBounds SampleGenerator::kRandomSample = { { { 600, 620 },
                                                                         { 1, 2 },
                                                                         { 155, 199 },
                                                                         { 158, 255 },
                                                                         { 165, 189 },
                                                                         { 111, 155 },
                                                                         { 112, 155 },
                                                                         { 12, 155 },
                                                                         { 123, 155 } } };
const SampleGenerator::RecordBounds SampleGenerator::kEmulationTick = {
    { { 1500, 1520 }, { 1, 2 }, { 44, 255 }, { 1, 155 }, { 1, 155 }, { 1, 155 }, { 1, 155 }, { 1, 155 }, { 1, 155 } }
};
const SampleGenerator::RecordBounds SampleGenerator::kUnimplemented
    = { { { 1536, 1536 }, { 1, 2 }, { 155, 199 }, { 0, 0 }, { 0, 0 }, { 0, 0 }, { 0, 0 }, { 0, 0 }, { 0, 0 } } };

SampleGenerator::SampleGenerator(RandomSource& random)
    : m_random(random)
{
}

std::string SampleGenerator::makeRecord(const RecordBounds& bounds)
{
    m_random.reseedFromClock();
    std::string record(1, '<');
    for (std::size_t field = 0; field < bounds.size(); ++field) {
        if (field > 0)
            record.push_back(',');
        const auto [lower, upper] = bounds[field];
        const int value = lower == upper ? lower : RandomBetween(m_random, lower, upper);
        record.append(std::to_string(value));
    }
    record.push_back('>');
    return record;
}

} // namespace vexmoor
