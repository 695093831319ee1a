#include "BoardTextFeed.h"

#include "RecordSource.h"

#include <algorithm>

namespace vexmoor::board {

namespace {
constexpr std::string_view startupText = "CAN BUS Shield init ok!\r\n";
} // namespace

BoardTextFeed::BoardTextFeed(RecordSource& source, bool startupLine)
    : m_source(source)
    , m_startupLinePending(startupLine)
{
}

LineFeed::Next BoardTextFeed::next(std::string& out, std::size_t wanted, Clock::time_point)
{
    if (m_startupLinePending) {
        m_startupLinePending = false;
        out.append(startupText);
        return Next::Bytes;
    }
    return m_source.fill(out, wanted) ? Next::Bytes : Next::Ended;
}

void BoardTextFeed::written(std::string_view bytes)
{
    m_records += static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '>'));
}

} // namespace vexmoor::board
