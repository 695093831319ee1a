#pragma once

#include <filesystem>

namespace vexmoor::test {

// A new folder of one test's own under the system's temporary folder, removed with everything in it
// when the test ends, so that tests running side by side never meet.
class TemporaryFolder final {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace vexmoor::test
