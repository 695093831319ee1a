#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace vexmoor {

class BusNames;
class MessageTable;

// The message table as CSV after RFC 4180: CR LF line ends, the column titles first, then one line
// per row in table order, every cell converted from Windows-1252 to UTF-8, and a field quoted when it
// holds a comma, a double quote, a CR or an LF. With rows kept per bus, a ninth column "Bus" names
// each row's bus.
class TableCsvWriter final {
public:
    static void write(const MessageTable& table, std::ostream& out, const BusNames* buses = nullptr);
    static std::string toCsv(const MessageTable& table);
    // A UTF-8 field, quoted as the table's are.
    static void appendUtf8Field(std::string_view text, std::string& line);

private:
    static void appendField(std::string_view windows1252Text, std::string& line);
};

} // namespace vexmoor
