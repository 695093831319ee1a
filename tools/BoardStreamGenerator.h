#pragma once

#include "SplitMix64.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexmoor::tools {

// Makes up the serial stream a companion board would write on a busy bus: its start-up line, then
// one record and CR LF per frame. Each identifier keeps its data length and behaves like a real
// message: most repeat their data, some count, a few are noise. The same seed gives the same bytes
// on every machine.
class BoardStreamGenerator final {
public:
    struct Settings {
        std::uint64_t seed = 1;
        int identifierCount = 64;
    };

    explicit BoardStreamGenerator(Settings settings);

    // The board's plain start-up line with its line end.
    static std::string startupLine();
    // Appends one record with its line end.
    void appendRecord(std::string& out);
    // Appends the record the board writes for a frame: "<", the identifier, "," and each data byte
    // followed by ",", ">", CR LF.
    static void appendRecordText(std::string& out, unsigned identifier, std::span<const unsigned> data);
    std::string records(int count);

private:
    enum class Behaviour { Steady, Counter, Toggle, Noise };
    struct Message {
        unsigned identifier = 0;
        std::vector<unsigned> data;
        Behaviour behaviour = Behaviour::Steady;
    };

    unsigned below(unsigned bound) { return m_random.below(bound); }
    void advance(Message& message);

    SplitMix64 m_random;
    std::vector<Message> m_messages;
};

} // namespace vexmoor::tools
