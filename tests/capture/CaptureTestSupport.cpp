#include "capture/CaptureTestSupport.h"

#include "capture/MessageTable.h"

#include <fstream>
#include <sstream>

namespace vexmoor::test {

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
