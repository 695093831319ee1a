#pragma once

#include <fstream>
#include <iosfwd>
#include <string>

namespace vexmoor {

// Where the replay's CSV goes: standard output ("-"), or a file that is written under a temporary
// name beside its destination and renamed only when complete.
class CsvDestination final {
public:
    explicit CsvDestination(std::string path);
    ~CsvDestination();
    CsvDestination(const CsvDestination&) = delete;
    CsvDestination& operator=(const CsvDestination&) = delete;

    bool open();
    std::ostream& stream(std::ostream& standardOutput);
    // Finishes the output; false when it could not be written, and then nothing stands at the path.
    bool commit(std::ostream& standardOutput);
    void discard();
    const std::string& reason() const { return m_reason; }

private:
    bool toStandardOutput() const { return m_path == "-"; }
    bool failWith(std::string reason);

    std::string m_path;
    std::string m_partialPath;
    std::ofstream m_file;
    std::string m_reason;
};

} // namespace vexmoor
