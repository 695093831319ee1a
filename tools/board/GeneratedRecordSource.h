#pragma once

#include "RecordSource.h"
#include "SplitMix64.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vexmoor::board {

// Makes up records for a fixed set of distinct 11-bit identifiers, each with 8 data bytes. A given
// share of the records change one byte of their identifier's data; all the others repeat that
// identifier's previous data exactly, which is what the table's change detection has to tell apart.
// Everything is drawn from splitmix64, so one seed gives the same bytes on every machine.
class GeneratedRecordSource final : public RecordSource {
public:
    struct Settings {
        std::uint64_t records = 1000;
        unsigned identifierCount = 64; // 1 to 2048
        double changeShare = 0.1; // 0 to 1
        std::uint64_t seed = 1;
    };

    explicit GeneratedRecordSource(const Settings& settings);

    bool fill(std::string& out, std::size_t wanted) override;

private:
    struct Message {
        unsigned identifier = 0;
        std::array<unsigned, 8> data {};
        bool sent = false;
    };

    unsigned below(unsigned bound) { return m_random.below(bound); }
    bool nextRecordChanges();
    void appendRecord(std::string& out);

    tools::SplitMix64 m_random;
    std::uint64_t m_remaining;
    std::vector<Message> m_messages;
    // The share is spread evenly in whole parts per billion, so that of N records that follow an
    // earlier one of their identifier exactly floor(N * share) change, instead of only about that many.
    std::uint64_t m_changeStep;
    std::uint64_t m_changeCredit = 0;
};

} // namespace vexmoor::board
