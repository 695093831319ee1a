#include "capture/formats/TableCsvWriter.h"

#include "capture/record/BusNames.h"
#include "capture/record/MessageTable.h"
#include "capture/record/Windows1252.h"

#include <ostream>
#include <sstream>

namespace vexmoor {

void TableCsvWriter::appendField(std::string_view windows1252Text, std::string& line)
{
    const bool quoted = windows1252Text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!quoted) {
        windows1252::appendAsUtf8(windows1252Text, line);
        return;
    }
    line.push_back('"');
    for (const char c : windows1252Text) {
        if (c == '"')
            line.push_back('"');
        windows1252::appendAsUtf8(std::string_view(&c, 1), line);
    }
    line.push_back('"');
}

void TableCsvWriter::appendUtf8Field(std::string_view text, std::string& line)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        line.append(text);
        return;
    }
    line.push_back('"');
    for (const char c : text) {
        if (c == '"')
            line.push_back('"');
        line.push_back(c);
    }
    line.push_back('"');
}

void TableCsvWriter::write(const MessageTable& table, std::ostream& out, const BusNames* buses)
{
    std::string line;
    for (std::size_t column = 0; column < MessageTable::kColumnTitles.size(); ++column) {
        if (column > 0)
            line.push_back(',');
        appendField(MessageTable::kColumnTitles[column], line);
    }
    if (buses != nullptr)
        line.append(",Bus");
    line.append("\r\n");
    out << line;

    for (int position = 1; position <= table.rowCount(); ++position) {
        line.clear();
        const MessageRow& row = table.row(position);
        for (std::size_t column = 0; column < row.cells.size(); ++column) {
            if (column > 0)
                line.push_back(',');
            appendField(row.cells[column], line);
        }
        if (buses != nullptr) {
            line.push_back(',');
            appendUtf8Field(buses->nameOf(row.bus), line);
        }
        line.append("\r\n");
        out << line;
    }
}

std::string TableCsvWriter::toCsv(const MessageTable& table)
{
    std::ostringstream out;
    write(table, out);
    return out.str();
}

} // namespace vexmoor
