#include "capture/CaptureTestSupport.h"

#include "capture/record/MessageTable.h"

#include <fstream>
#include <ostream>
#include <sstream>

namespace vexmoor {

void PrintTo(const CanFrame& frame, std::ostream* out)
{
    *out << "{id 0x" << std::hex << frame.id << (frame.extended ? " extended" : "") << (frame.remote ? " remote" : "")
         << " data";
    for (std::size_t index = 0; index < frame.length && index < frame.data.size(); ++index)
        *out << ' ' << static_cast<unsigned>(frame.data[index]);
    *out << std::dec << " at " << frame.timestampUs << " us}";
}

} // namespace vexmoor

namespace vexmoor::test {

CanFrame makeFrame(std::uint32_t id, std::initializer_list<std::uint8_t> data, FrameFields fields)
{
    CanFrame frame;
    frame.id = id;
    frame.extended = fields.extended;
    frame.remote = fields.remote;
    frame.timestampUs = fields.timestampUs;
    frame.fd = fields.fd;
    frame.bitRateSwitch = fields.bitRateSwitch;
    frame.errorStateIndicator = fields.errorStateIndicator;
    for (const std::uint8_t byte : data)
        frame.data.at(frame.length++) = byte;
    return frame;
}

TableRows rowsOf(const MessageTable& table)
{
    TableRows rows;
    for (int position = 1; position <= table.rowCount(); ++position) {
        const auto& cells = table.row(position).cells;
        rows.emplace_back(cells.begin(), cells.end());
    }
    return rows;
}

std::optional<std::string> readTestData(const std::string& fileName)
{
    std::ifstream file(std::string(VEXMOOR_TESTDATA_DIR) + "/" + fileName, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

} // namespace vexmoor::test
