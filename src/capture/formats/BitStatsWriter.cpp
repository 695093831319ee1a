#include "capture/formats/BitStatsWriter.h"

#include "capture/changes/ChangeTracker.h"
#include "capture/formats/TableCsvWriter.h"
#include "capture/record/BusNames.h"
#include "capture/record/RecordText.h"

#include <ostream>
#include <string>

namespace vexmoor {

void BitStatsWriter::write(const ChangeTracker& changes, std::ostream& out, const BusNames* buses)
{
    out << (buses != nullptr ? "bus,id,byte,bit,flips,value\r\n" : "id,byte,bit,flips,value\r\n");
    std::string hexId;
    std::string line;
    for (std::size_t index = 0; index < changes.size(); ++index) {
        const IdentifierChanges& identifier = changes.at(index);
        record::formatHexId(identifier.id(), identifier.extended(), hexId);
        if (buses != nullptr) {
            std::string bus;
            TableCsvWriter::appendUtf8Field(buses->nameOf(identifier.bus()), bus);
            hexId.insert(0, bus + ",");
        }
        for (int byte = 0; byte < identifier.length(); ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                const int bitIndex = byte * 8 + bit;
                line.assign(hexId)
                    .append(",")
                    .append(std::to_string(byte))
                    .append(",")
                    .append(std::to_string(bit))
                    .append(",")
                    .append(std::to_string(identifier.bitFlips(bitIndex)))
                    .append(identifier.bit(bitIndex) ? ",1\r\n" : ",0\r\n");
                out << line;
            }
        }
    }
}

} // namespace vexmoor
