#pragma once

#include <cstdint>
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
    std::string records(int count);

private:
    enum class Behaviour { Steady, Counter, Toggle, Noise };
    struct Message {
        unsigned identifier = 0;
        std::vector<unsigned> data;
        Behaviour behaviour = Behaviour::Steady;
    };

    std::uint64_t next();
    unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }
    void advance(Message& message);

    std::uint64_t m_state;
    std::vector<Message> m_messages;
};

} // namespace vexmoor::tools
